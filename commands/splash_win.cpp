// The splash text window: what it shows, how it is painted, and the
// SplashTextOn and SplashTextOff commands that show and hide it.
#include <windows.h>

#include "commands/splash.h"
#include "host/host.h"
#include "script/commands.h"
#include "script/engine.h"
#include "script/limits.h"
#include "script/params.h"

namespace commands {

namespace {

char g_splash_text[script::kBufSize];  // body of the splash window; kept while hidden

// Draws the text centred and word-wrapped, its first line one and a half line
// heights above the middle of the client area; "&" is shown as it is.
LRESULT OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  RECT r;
  GetClientRect(window, &r);
  r.top = r.top + (r.bottom - r.top) / 2 - tm.tmHeight / 2 - tm.tmHeight;
  DrawTextA(dc, g_splash_text, -1, &r, DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  EndPaint(window, &ps);
  return 0;
}

// SplashTextOn, width, height, title, text   e.g.  SplashTextOn, 300, 100, Wait, Please wait
// Shows the splash window centred on the screen with the given outer size,
// on top of other windows but without taking the focus. The text is the rest
// of the line, commas included.
void CmdSplashTextOn(char* line, char* param, int* cursor) {
  char width_text[script::kBufSize];
  char height_text[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, width_text);
  missing += script::SplitField(',', line, cursor, height_text);
  missing += script::SplitField(',', line, cursor, param);
  script::SplitField(0, line, cursor, g_splash_text);
  if (missing) {
    script::ReportError("SplashTextOn: Invalid number of parameters!");
    return;
  }
  int width = script::IntegerValue(width_text);
  int height = script::IntegerValue(height_text);
  // The desktop's client rectangle starts at 0, 0: right and bottom are the screen size.
  RECT screen;
  GetClientRect(GetDesktopWindow(), &screen);
  HWND splash = host::g_host.splash;
  SetWindowTextA(splash, param);
  MoveWindow(splash, screen.right / 2 - width / 2, screen.bottom / 2 - height / 2, width, height,
             TRUE);
  // SW_SHOWNA leaves the foreground and the keyboard focus where they are.
  ShowWindow(splash, SW_SHOWNA);
  InvalidateRect(splash, NULL, TRUE);
}

// SplashTextOff   e.g.  SplashTextOff
void CmdSplashTextOff(char*, char*, int*) { ShowWindow(host::g_host.splash, SW_HIDE); }

}  // namespace

LRESULT CALLBACK SplashWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT) return OnPaint(window);
  return DefWindowProcA(window, msg, wparam, lparam);
}

void InstallSplashCommands() {
  script::SetCommandHandler(script::CMD_SPLASHTEXTON, CmdSplashTextOn);
  script::SetCommandHandler(script::CMD_SPLASHTEXTOFF, CmdSplashTextOff);
}

}  // namespace commands
