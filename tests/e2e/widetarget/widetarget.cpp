// widetarget: one target window for the encoding tests. Its window procedure
// is Unicode (CreateWindowExW), or ANSI with --ansi, and its texts are given
// with \uXXXX escapes, so that no code page stands between the case file and
// the window.
//
//   widetarget [--log FILE] [--lifetime MS] [--clipboard TEXT] [--report-clipboard]
//              [--summary] [--ansi] --window TITLE [--repeat N] [--child TEXT]...
//
// --clipboard  puts TEXT on the clipboard as Unicode text at start
// --report-clipboard  logs the clipboard's Unicode text when the window closes
// --summary    logs a text as "N units, last U+XXXX" instead of the text itself
//              (for texts longer than a case's line)
// --repeat     the title is TITLE N times over
// --ansi       the window is an ANSI window, its title in the ANSI code page
// --child      a visible static control with that text (repeatable, up to 8)
//
// Log lines (default widetarget.log), in UTF-8: "title NEW" when the window's
// title is set (an ANSI window logs the bytes it receives), and on WM_CLOSE
// (with --report-clipboard) "clipboard TEXT" with the clipboard's Unicode
// text, then "close".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

const int kMaxChildren = 8;
const int kTextSize = 1024;

const char* g_log_path = "widetarget.log";
bool g_armed;  // titles set during creation are not logged
bool g_report_clipboard;
bool g_summary;

// Decodes \uXXXX escapes into UTF-16; every other character stands for itself.
void Unescape(const char* text, wchar_t* out, int size) {
  int n = 0;
  while (*text && n < size - 1) {
    if (text[0] == '\\' && text[1] == 'u' && strlen(text) >= 6) {
      char hex[5] = {text[2], text[3], text[4], text[5], 0};
      out[n++] = static_cast<wchar_t>(strtoul(hex, NULL, 16));
      text += 6;
    } else {
      out[n++] = static_cast<unsigned char>(*text++);
    }
  }
  out[n] = 0;
}

void Log(const char* event, const char* text) {
  FILE* f = fopen(g_log_path, "ab");
  if (!f) return;
  fprintf(f, text[0] ? "%s %s\n" : "%s\n", event, text);
  fclose(f);
}

void LogWide(const char* event, const wchar_t* text) {
  char utf8[4 * kTextSize];
  if (g_summary) {
    int units = lstrlenW(text);
    unsigned last = units ? static_cast<unsigned>(text[units - 1]) : 0u;
    sprintf(utf8, "%d units, last U+%04X", units, last);
    Log(event, utf8);
    return;
  }
  if (!WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), NULL, NULL)) utf8[0] = 0;
  Log(event, utf8);
}

void LogClipboard() {
  wchar_t text[kTextSize] = L"";
  if (OpenClipboard(NULL)) {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* locked = data ? static_cast<const wchar_t*>(GlobalLock(data)) : NULL;
    if (locked) {
      lstrcpynW(text, locked, kTextSize);
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  LogWide("clipboard", text);
}

bool SetClipboardText(const wchar_t* text) {
  SIZE_T bytes = (static_cast<SIZE_T>(lstrlenW(text)) + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return false;
  memcpy(GlobalLock(block), text, bytes);
  GlobalUnlock(block);
  if (!OpenClipboard(NULL)) return GlobalFree(block), false;
  EmptyClipboard();
  bool ok = SetClipboardData(CF_UNICODETEXT, block) != NULL;
  if (!ok) GlobalFree(block);
  CloseClipboard();
  return ok;
}

// The one window procedure of both kinds of window: only the title's form and
// the default handling differ.
LRESULT TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool ansi) {
  if (message == WM_SETTEXT && g_armed) {
    if (ansi) Log("title", reinterpret_cast<const char*>(lparam));
    else LogWide("title", reinterpret_cast<const wchar_t*>(lparam));
  }
  if (message == WM_CLOSE) {
    if (g_report_clipboard) LogClipboard();
    Log("close", "");
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return ansi ? DefWindowProcA(window, message, wparam, lparam)
              : DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK WideProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return TargetProc(window, message, wparam, lparam, false);
}

LRESULT CALLBACK AnsiProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return TargetProc(window, message, wparam, lparam, true);
}

HWND CreateTarget(bool ansi, const wchar_t* title) {
  HINSTANCE instance = GetModuleHandleW(NULL);
  if (!ansi) {
    WNDCLASSW wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = WideProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KestroWideTarget";
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"KestroWideTarget", title, WS_OVERLAPPEDWINDOW, 80, 80, 360, 240,
                           NULL, NULL, instance, NULL);
  }
  WNDCLASSA wc;
  memset(&wc, 0, sizeof(wc));
  wc.lpfnWndProc = AnsiProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "KestroAnsiTarget";
  RegisterClassA(&wc);
  char ansi_title[kTextSize];
  WideCharToMultiByte(CP_ACP, 0, title, -1, ansi_title, sizeof(ansi_title), NULL, NULL);
  return CreateWindowExA(0, "KestroAnsiTarget", ansi_title, WS_OVERLAPPEDWINDOW, 80, 80, 360, 240,
                         NULL, NULL, instance, NULL);
}

}  // namespace

int main(int argc, char** argv) {
  static wchar_t title[kTextSize];
  static wchar_t children[kMaxChildren][kTextSize];
  int child_count = 0;
  const char* clipboard = NULL;
  bool ansi = false;
  DWORD lifetime = 60000;
  for (int i = 1; i < argc; ++i) {
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (!strcmp(argv[i], "--ansi")) { ansi = true; continue; }
    if (!strcmp(argv[i], "--report-clipboard")) { g_report_clipboard = true; continue; }
    if (!strcmp(argv[i], "--summary")) { g_summary = true; continue; }
    if (!strcmp(argv[i], "--log")) g_log_path = value;
    else if (!strcmp(argv[i], "--lifetime")) lifetime = static_cast<DWORD>(atoi(value));
    else if (!strcmp(argv[i], "--clipboard")) clipboard = value;
    else if (!strcmp(argv[i], "--window")) Unescape(value, title, kTextSize);
    else if (!strcmp(argv[i], "--repeat")) {
      wchar_t once[kTextSize];
      lstrcpynW(once, title, kTextSize);
      for (int n = atoi(value) - 1; n > 0 && lstrlenW(title) + lstrlenW(once) < kTextSize; --n)
        lstrcatW(title, once);
    }
    else if (!strcmp(argv[i], "--child") && child_count < kMaxChildren)
      Unescape(value, children[child_count++], kTextSize);
    else {
      fprintf(stderr, "widetarget: bad option %s\n", argv[i]);
      return 2;
    }
    ++i;
  }
  if (clipboard) {
    wchar_t text[kTextSize];
    Unescape(clipboard, text, kTextSize);
    if (!SetClipboardText(text)) fprintf(stderr, "widetarget: cannot set the clipboard\n");
  }
  HWND window = CreateTarget(ansi, title);
  if (!window) return 1;
  // The controls are Unicode (or ANSI) like their window.
  for (int i = 0; i < child_count; ++i) {
    if (ansi) {
      char text[kTextSize];
      WideCharToMultiByte(CP_ACP, 0, children[i], -1, text, sizeof(text), NULL, NULL);
      CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE, 4, 4 + 24 * i, 300, 20, window,
                      NULL, NULL, NULL);
    } else {
      CreateWindowExW(0, L"STATIC", children[i], WS_CHILD | WS_VISIBLE, 4, 4 + 24 * i, 300, 20,
                      window, NULL, NULL, NULL);
    }
  }
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  g_armed = true;
  SetTimer(NULL, 0, lifetime, NULL);
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == NULL) break;  // the lifetime is over
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
