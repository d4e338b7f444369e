// dialogs splash
// Waits for the runner's splash window (class "Kestro - Splash") to become
// visible and writes to splash.txt
//   rect=LEFT,TOP,RIGHT,BOTTOM title=TITLE topmost=0|1 disabled=0|1 foreground=0|1
// (foreground=1 when the splash took the foreground), then creates seen.txt,
// which the script waits for. It then waits for the window to be hidden,
// appends "hidden" and creates done.txt. A wait that runs out writes
// "no splash" or "still visible" and ends the program with 1.
#include <stdio.h>

#include "dialogs.h"

namespace dialogs {

namespace {

const char kOutFile[] = "splash.txt";
const char kSplashClass[] = "Kestro - Splash";

HWND WaitForVisibleSplash() {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < kWaitMs) {
    HWND splash = FindWindowA(kSplashClass, NULL);
    if (splash && IsWindowVisible(splash)) return splash;
    Sleep(kPollMs);
  }
  return 0;
}

bool WaitUntilHidden(HWND splash) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < kWaitMs) {
    if (!IsWindowVisible(splash)) return true;
    Sleep(kPollMs);
  }
  return false;
}

}  // namespace

int WatchSplash() {
  HWND splash = WaitForVisibleSplash();
  if (!splash) {
    AppendLine(kOutFile, "no splash");
    return 1;
  }
  // Give a window that was about to be activated the time to be.
  Sleep(200);
  RECT r;
  GetWindowRect(splash, &r);
  char title[1100];
  ReadText(splash, title, sizeof title);
  LONG style = GetWindowLongA(splash, GWL_STYLE);
  LONG ex_style = GetWindowLongA(splash, GWL_EXSTYLE);
  static char line[1300];
  sprintf(line, "rect=%ld,%ld,%ld,%ld title=%s topmost=%d disabled=%d foreground=%d", r.left,
          r.top, r.right, r.bottom, title, (ex_style & WS_EX_TOPMOST) ? 1 : 0,
          (style & WS_DISABLED) ? 1 : 0, GetForegroundWindow() == splash ? 1 : 0);
  AppendLine(kOutFile, line);
  printf("dialogs: %s\n", line);
  fflush(stdout);
  AppendLine("seen.txt", "seen");
  if (!WaitUntilHidden(splash)) {
    AppendLine(kOutFile, "still visible");
    return 1;
  }
  AppendLine(kOutFile, "hidden");
  AppendLine("done.txt", "done");
  return 0;
}

}  // namespace dialogs
