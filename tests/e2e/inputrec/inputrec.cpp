// inputrec: the end-to-end tests' input recorder. Low-level keyboard and mouse
// hooks log every event the script injects, and a target window logs where
// clicks land and which characters reach it. Everything goes to files in the
// working directory, one line per event, written as it happens:
//   keys.txt    "+vk/scan" (down) or "-vk/scan" (up), then "x" for the
//               extended flag and "i" for the injected flag, e.g. "-46/83xi"
//   mouse.txt   "move X,Y" in screen pixels, "ldown", "lup", "rdown", "rup":
//               injected events only (Wine moves the pointer on its own now
//               and then, and those moves say nothing about the script)
//   clicks.txt  "L down X,Y", "R up X,Y": clicks in the target's client area,
//               given relative to the target's outer top-left corner (the
//               coordinates a script names)
//   text.txt    the characters the target window received, as they are
//   held.txt    rewritten after each key event: the keys the hook has seen go
//               down and not come up, as "vk vk ...", or "none"
// The target window "Kestro Input Target" stands at (100, 50), 400 x 300, and
// takes the foreground back whenever it loses it.
//
//   gaps.txt    with --gaps: the time between one injected key event and the
//               next, rounded to the nearest 100 ms, one line each
//   units.txt   with --unicode: the target is a Unicode window (its class,
//               window procedure and message loop use the W functions) titled
//               "Kestro Input Target – Übersicht 日本語", and each WM_CHAR it
//               receives is one UTF-16 unit, written as four hex digits, units
//               separated by a blank, e.g. "0047 00FC D83D"
//
//   inputrec [--seconds N] [--gaps] [--unicode]     ends after N seconds (default 60)
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

const char kClassName[] = "KestroInputTarget";
const char kTitle[] = "Kestro Input Target";
const int kLeft = 100;
const int kTop = 50;
const int kWidth = 400;
const int kHeight = 300;
const UINT_PTR kForegroundTimer = 1;
const UINT_PTR kEndTimer = 2;

HWND g_target;
bool g_down[256];  // keys seen going down and not yet up

void AppendLine(const char* file, const char* text) {
  FILE* f = fopen(file, "ab");
  if (f == NULL) return;
  fputs(text, f);
  fclose(f);
}

void WriteHeld() {
  char text[1024] = "";
  size_t len = 0;
  for (int vk = 0; vk < 256; ++vk) {
    if (!g_down[vk]) continue;
    len += snprintf(text + len, sizeof(text) - len, "%s%d", len ? " " : "", vk);
  }
  FILE* f = fopen("held.txt", "wb");
  if (f == NULL) return;
  fputs(len ? text : "none", f);
  fputs("\n", f);
  fclose(f);
}

bool g_gaps;            // --gaps: record the time between injected key events
bool g_seen_key;        // an injected key event has been recorded
DWORD g_last_key_time;  // the event time of the last one

// The gap since the previous injected key event, rounded to 100 ms, so that a
// key delay shows as a steady number whatever the scheduling noise.
void RecordGap(const KBDLLHOOKSTRUCT* k) {
  if (!g_gaps || !(k->flags & LLKHF_INJECTED)) return;
  if (g_seen_key) {
    char line[32];
    snprintf(line, sizeof(line), "%lu\n", (k->time - g_last_key_time + 50) / 100 * 100);
    AppendLine("gaps.txt", line);
  }
  g_seen_key = true;
  g_last_key_time = k->time;
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    const KBDLLHOOKSTRUCT* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
    RecordGap(k);
    // Wine marks the up of a Unicode key event (VK_PACKET) in the message only.
    bool up = (k->flags & LLKHF_UP) != 0 || wparam == WM_KEYUP || wparam == WM_SYSKEYUP;
    char line[64];
    snprintf(line, sizeof(line), "%c%lu/%lu%s%s\n", up ? '-' : '+', k->vkCode, k->scanCode,
             (k->flags & LLKHF_EXTENDED) ? "x" : "", (k->flags & LLKHF_INJECTED) ? "i" : "");
    AppendLine("keys.txt", line);
    g_down[k->vkCode & 0xFF] = !up;
    WriteHeld();
  }
  return CallNextHookEx(NULL, code, wparam, lparam);
}

LRESULT CALLBACK MouseHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    const MSLLHOOKSTRUCT* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(lparam);
    char line[64] = "";
    switch (wparam) {
      case WM_MOUSEMOVE: snprintf(line, sizeof(line), "move %ld,%ld\n", m->pt.x, m->pt.y); break;
      case WM_LBUTTONDOWN: strcpy(line, "ldown\n"); break;
      case WM_LBUTTONUP: strcpy(line, "lup\n"); break;
      case WM_RBUTTONDOWN: strcpy(line, "rdown\n"); break;
      case WM_RBUTTONUP: strcpy(line, "rup\n"); break;
    }
    if ((m->flags & LLMHF_INJECTED) && line[0] != '\0') AppendLine("mouse.txt", line);
  }
  return CallNextHookEx(NULL, code, wparam, lparam);
}

// Logs a click at client position lparam, relative to the outer rectangle.
void LogClick(HWND window, const char* what, LPARAM lparam) {
  POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ClientToScreen(window, &p);
  RECT outer;
  GetWindowRect(window, &outer);
  char line[64];
  snprintf(line, sizeof(line), "%s %ld,%ld\n", what, p.x - outer.left, p.y - outer.top);
  AppendLine("clicks.txt", line);
}

void LogChar(WPARAM ch) {
  char text[2] = {static_cast<char>(ch), '\0'};
  FILE* f = fopen("text.txt", "ab");
  if (f == NULL) return;
  fwrite(text, 1, 1, f);
  fclose(f);
}

bool g_unicode;          // --unicode: the target is a Unicode window
bool g_logged_unit;      // a unit has been written to units.txt

void LogUnit(WPARAM unit) {
  char text[16];
  snprintf(text, sizeof(text), "%s%04X", g_logged_unit ? " " : "",
           static_cast<unsigned>(unit & 0xFFFF));
  g_logged_unit = true;
  AppendLine("units.txt", text);
}

// Keeps the target in the foreground, so that script positions are measured
// from it and typed keys reach it.
void OnForegroundTimer(HWND window) {
  if (GetForegroundWindow() != window) SetForegroundWindow(window);
}

LRESULT CALLBACK TargetProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_LBUTTONDOWN: LogClick(window, "L down", lparam); return 0;
    case WM_LBUTTONUP: LogClick(window, "L up", lparam); return 0;
    case WM_RBUTTONDOWN: LogClick(window, "R down", lparam); return 0;
    case WM_RBUTTONUP: LogClick(window, "R up", lparam); return 0;
    case WM_CHAR:
      if (g_unicode) {
        LogUnit(wparam);
      } else {
        LogChar(wparam);
      }
      return 0;
    case WM_TIMER:
      if (wparam == kEndTimer) {
        DestroyWindow(window);
      } else {
        OnForegroundTimer(window);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return g_unicode ? DefWindowProcW(window, msg, wparam, lparam)
                   : DefWindowProcA(window, msg, wparam, lparam);
}

// The target as a window of the ANSI or the Unicode kind: a Unicode window
// procedure receives WM_CHAR as UTF-16 units.
HWND CreateTarget(HINSTANCE instance) {
  if (g_unicode) {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"KestroInputTarget";
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName,
                           L"Kestro Input Target \u2013 \u00DCbersicht \u65E5\u672C\u8A9E",
                           WS_OVERLAPPEDWINDOW, kLeft, kTop, kWidth, kHeight, NULL, NULL, instance,
                           NULL);
  }
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
  return CreateWindowExA(WS_EX_TOPMOST, kClassName, kTitle, WS_OVERLAPPEDWINDOW, kLeft, kTop,
                         kWidth, kHeight, NULL, NULL, instance, NULL);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = atoi(argv[i + 1]);
    if (strcmp(argv[i], "--gaps") == 0) g_gaps = true;
    if (strcmp(argv[i], "--unicode") == 0) g_unicode = true;
  }
  HINSTANCE instance = GetModuleHandleA(NULL);
  // The hooks go in before the window shows, so a script that waits for the
  // target to become active knows that every later event is recorded.
  HHOOK keyboard = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, instance, 0);
  HHOOK mouse = SetWindowsHookExA(WH_MOUSE_LL, MouseHook, instance, 0);
  if (keyboard == NULL || mouse == NULL) {
    fputs("inputrec: cannot install the hooks\n", stderr);
    return 1;
  }
  g_target = CreateTarget(instance);
  ShowWindow(g_target, SW_SHOW);
  SetForegroundWindow(g_target);
  SetTimer(g_target, kForegroundTimer, 100, NULL);
  SetTimer(g_target, kEndTimer, static_cast<UINT>(seconds) * 1000, NULL);
  MSG msg;
  while ((g_unicode ? GetMessageW(&msg, NULL, 0, 0) : GetMessageA(&msg, NULL, 0, 0)) > 0) {
    TranslateMessage(&msg);
    if (g_unicode) {
      DispatchMessageW(&msg);
    } else {
      DispatchMessageA(&msg);
    }
  }
  UnhookWindowsHookEx(keyboard);
  UnhookWindowsHookEx(mouse);
  return 0;
}
