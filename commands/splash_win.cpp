// The splash text window: what it shows and how it is painted.
#include <windows.h>

#include "commands/splash.h"
#include "script/limits.h"

namespace commands {

namespace {

char g_splash_text[script::kBufSize];  // body of the splash window

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

}  // namespace

LRESULT CALLBACK SplashWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT) return OnPaint(window);
  return DefWindowProcA(window, msg, wparam, lparam);
}

}  // namespace commands
