// Finds another program's top-level window by class and title, reports it, and sends it messages.
#include "tests/e2e/helper/drive.h"

#include <windows.h>
#include <stdio.h>

namespace khelper {
namespace {

const int kPollMs = 50;          // interval between two searches for the window
const UINT kSendWaitMs = 5000;   // bound for a sent message on a busy window

// Polls FindWindow until the window exists or the timeout passes; 0 when it never came.
HWND WaitForWindow(const Args& args) {
  const char* cls = GetText(args, "class", 0);
  const char* title = GetText(args, "title", 0);
  long timeout = GetNumber(args, "timeout", 5000);
  DWORD start = GetTickCount();
  for (;;) {
    HWND hwnd = FindWindowA(cls, title);
    if (hwnd) return hwnd;
    if (GetTickCount() - start >= (DWORD)timeout) return 0;
    Sleep(kPollMs);
  }
}

}  // namespace

int RunWindow(const Args& args) {
  HWND hwnd = WaitForWindow(args);
  if (!hwnd) {
    printf("no window\n");
    return 1;
  }
  char title[8192];
  if (!GetWindowTextA(hwnd, title, sizeof title)) title[0] = '\0';
  printf("hwnd=0x%lx visible=%d title=%s\n", (unsigned long)(UINT_PTR)hwnd,
         IsWindowVisible(hwnd) ? 1 : 0, title);
  return 0;
}

int RunMessage(const Args& args, bool send) {
  HWND hwnd = WaitForWindow(args);
  if (!hwnd) {
    printf("no window\n");
    return 1;
  }
  UINT msg = (UINT)GetNumber(args, "msg", 0);
  WPARAM wparam = (WPARAM)GetNumber(args, "wparam", 0);
  LPARAM lparam = (LPARAM)GetNumber(args, "lparam", 0);
  if (!send) return PostMessageA(hwnd, msg, wparam, lparam) ? 0 : 1;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(hwnd, msg, wparam, lparam, SMTO_ABORTIFHUNG, kSendWaitMs, &result)) {
    printf("no answer\n");
    return 1;
  }
  printf("result=%ld\n", (long)result);
  return 0;
}

}  // namespace khelper
