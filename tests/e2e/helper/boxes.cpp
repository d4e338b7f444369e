// Watches for dialog boxes of any process, records caption and message text, and closes them.
#include "tests/e2e/helper/boxes.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace khelper {
namespace {

const int kPollMs = 50;        // interval between two scans of the top-level windows
const int kMaxSeen = 256;      // boxes remembered so that each is recorded once
const UINT kTextWaitMs = 1000; // bound for WM_GETTEXT on a busy window
const DWORD kSettleMs = 100;   // pause between finding a box and reading it

// The boxes found so far and the scan's findings.
struct Watch {
  const char* exe;             // only boxes of processes started from this file name, or all
  HWND seen[kMaxSeen];
  int seen_count;
  HWND found[kMaxSeen];        // dialogs found by the current scan
  int found_count;
};

// Button names accepted by --press, with their standard dialog ids.
struct ButtonName {
  const char* name;
  int id;
};
const ButtonName kButtons[] = {
  {"ok", IDOK}, {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
  {"ignore", IDIGNORE}, {"yes", IDYES}, {"no", IDNO},
};

bool WasSeen(const Watch& watch, HWND hwnd) {
  for (int i = 0; i < watch.seen_count; ++i) {
    if (watch.seen[i] == hwnd) return true;
  }
  return false;
}

// Whether the window belongs to a process whose program file has the given name
// (compared without case, path ignored).
bool OwnedBy(HWND hwnd, const char* exe) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return false;
  char path[MAX_PATH];
  DWORD size = sizeof path;
  BOOL ok = QueryFullProcessImageNameA(process, 0, path, &size);
  CloseHandle(process);
  if (!ok) return false;
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return lstrcmpiA(name, exe) == 0;
}

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM param) {
  Watch* watch = (Watch*)param;
  char cls[64];
  if (!GetClassNameA(hwnd, cls, sizeof cls) || strcmp(cls, "#32770") != 0) return TRUE;
  // A dialog is shown only once its controls exist; until then its text may be missing.
  if (!IsWindowVisible(hwnd) || WasSeen(*watch, hwnd)) return TRUE;
  if (watch->exe && !OwnedBy(hwnd, watch->exe)) return TRUE;
  if (watch->found_count < kMaxSeen) watch->found[watch->found_count++] = hwnd;
  return TRUE;
}

// Reads a window's text with WM_GETTEXT, which works across processes for child
// controls, as UTF-16 and hands it back in UTF-8, so that boxes in any language
// are recorded whole (and ASCII texts as they are).
void ReadText(HWND hwnd, char* out, int size) {
  static wchar_t wide[8192];
  out[0] = '\0';
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 8192, (LPARAM)wide, SMTO_ABORTIFHUNG, kTextWaitMs,
                           &length)) {
    return;
  }
  wide[8191] = 0;
  if (!WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, size, NULL, NULL)) out[0] = '\0';
}

// The message text is the first static control that shows text (the icon is a static too).
BOOL CALLBACK FindMessageText(HWND child, LPARAM param) {
  char cls[64];
  if (!GetClassNameA(child, cls, sizeof cls) || lstrcmpiA(cls, "Static") != 0) return TRUE;
  if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return TRUE;
  char* text = (char*)param;
  ReadText(child, text, 3 * 8192);
  return text[0] == '\0';  // stop at the first static with text
}

int ButtonId(const char* name, HWND box) {
  if (name) {
    for (size_t i = 0; i < sizeof kButtons / sizeof kButtons[0]; ++i) {
      if (lstrcmpiA(name, kButtons[i].name) == 0) return kButtons[i].id;
    }
    return (int)strtoul(name, 0, 0);  // a numeric control id
  }
  DWORD_PTR def = 0;
  if (SendMessageTimeoutA(box, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, kTextWaitMs, &def) &&
      HIWORD(def) == DC_HASDEFID)
    return LOWORD(def);
  return IDOK;
}

// Records one box as CAPTION<TAB>TEXT (in UTF-8) and presses its button.
void RecordAndClose(HWND box, FILE* out, const char* press, long press_delay) {
  static char caption[3 * 8192];
  static char text[3 * 8192];
  static wchar_t wide_caption[8192];
  if (!GetWindowTextW(box, wide_caption, 8192) ||
      !WideCharToMultiByte(CP_UTF8, 0, wide_caption, -1, caption, sizeof caption, NULL, NULL))
    caption[0] = '\0';
  text[0] = '\0';
  EnumChildWindows(box, FindMessageText, (LPARAM)text);
  WriteEscaped(out, caption);
  fputc('\t', out);
  WriteEscaped(out, text);
  fputc('\n', out);
  fflush(out);
  printf("box: %s | %s\n", caption, text);
  fflush(stdout);
  if (press && lstrcmpiA(press, "none") == 0) return;  // someone else answers it
  if (press_delay > 0) Sleep((DWORD)press_delay);      // the box stays up this long
  int id = ButtonId(press, box);
  // Posting keeps the helper from blocking on a box whose owner does not answer.
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
}

bool FileExists(const char* path) {
  return path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int RunBoxes(const Args& args) {
  const char* out_path = GetText(args, "out", 0);
  long timeout = GetNumber(args, "timeout", 10000);
  long count = GetNumber(args, "count", 0);
  const char* press = GetText(args, "press", 0);
  long press_delay = GetNumber(args, "press-delay", 0);
  const char* stop_path = GetText(args, "stop", 0);
  const char* exe = GetText(args, "exe", 0);
  if (!out_path) {
    fprintf(stderr, "khelper boxes: --out FILE is required\n");
    return 2;
  }
  FILE* out = fopen(out_path, "ab");
  if (!out) {
    fprintf(stderr, "khelper boxes: cannot open %s\n", out_path);
    return 2;
  }
  static Watch watch;
  watch.exe = exe;
  DWORD start = GetTickCount();
  int recorded = 0;
  while (GetTickCount() - start < (DWORD)timeout) {
    if (count > 0 && recorded >= count) break;
    if (FileExists(stop_path)) break;
    watch.found_count = 0;
    EnumWindows(CollectDialog, (LPARAM)&watch);
    for (int i = 0; i < watch.found_count; ++i) {
      if (count > 0 && recorded >= count) break;
      HWND box = watch.found[i];
      Sleep(kSettleMs);  // let a box that just appeared finish filling in its controls
      RecordAndClose(box, out, press, press_delay);
      if (watch.seen_count < kMaxSeen) watch.seen[watch.seen_count++] = box;
      ++recorded;
    }
    Sleep(kPollMs);
  }
  fclose(out);
  return 0;
}

}  // namespace khelper
