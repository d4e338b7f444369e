// The splash text window: what it shows, how it is painted, and the
// SplashTextOn and SplashTextOff commands that show and hide it.
#include <windows.h>

#include "commands/handlers.h"
#include "commands/splash.h"
#include "script/params.h"
#include "script/text.h"
#include "windows/wide_text_win.h"

namespace commands {

namespace {

const char kSplashClass[] = "Kestro - Splash";
const wchar_t kSplashClassW[] = L"Kestro - Splash";

char g_splash_text[script::kBufSize];  // body of the splash window; kept while hidden
HWND g_splash;                         // the splash window, made by the first SplashTextOn
HWND g_splash_owner;
HINSTANCE g_splash_instance;

// Most scripts never show a splash, so the window is made on first use, not
// at start. The class decides whether the window is a Unicode one, whichever
// call creates it. It is made hidden.
HWND Splash() {
  if (g_splash == NULL) {
    g_splash = CreateWindowExA(WS_EX_TOPMOST, kSplashClass, "", WS_DISABLED | WS_THICKFRAME,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               g_splash_owner, NULL, g_splash_instance, NULL);
  }
  return g_splash;
}

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
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
  if (Utf8Script()) DrawTextW(dc, windows::Wide(g_splash_text, 0), -1, &r, format);
  else DrawTextA(dc, g_splash_text, -1, &r, format);
  EndPaint(window, &ps);
  return 0;
}

// SplashTextOn, width, height, title, text   e.g.  SplashTextOn, 300, 100, Wait, Please wait
// Shows the splash window centred on the screen with the given outer size,
// on top of other windows but without taking the focus. The text is the rest
// of the line, commas included. It is stored before the commas are checked:
// a line short of one empties the text (the field after a missing comma is
// empty), and the dispatcher then reports the missing comma.
bool CmdSplashTextOn(script::Interp&, script::Fields& f) {
  script::CopyText(g_splash_text, f.at[3], script::kBufSize);
  if (!f.complete) return true;
  int width = script::IntegerValue(f.at[0]);
  int height = script::IntegerValue(f.at[1]);
  // The desktop's client rectangle starts at 0, 0: right and bottom are the screen size.
  RECT screen;
  GetClientRect(GetDesktopWindow(), &screen);
  HWND splash = Splash();
  windows::SetText(splash, f.at[2], Utf8Script());
  MoveWindow(splash, screen.right / 2 - width / 2, screen.bottom / 2 - height / 2, width, height,
             TRUE);
  // SW_SHOWNA leaves the foreground and the keyboard focus where they are.
  ShowWindow(splash, SW_SHOWNA);
  InvalidateRect(splash, NULL, TRUE);
  return true;
}

// SplashTextOff   e.g.  SplashTextOff
// Before any SplashTextOn there is no window, and nothing to hide.
bool CmdSplashTextOff(script::Interp&, script::Fields&) {
  ShowWindow(g_splash, SW_HIDE);
  return true;
}

LRESULT CALLBACK SplashWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT) return OnPaint(window);
  return (Utf8Script() ? DefWindowProcW : DefWindowProcA)(window, msg, wparam, lparam);
}

}  // namespace

// A UTF-8 script's splash window is a Unicode window, whose title keeps
// every character; an ANSI script's is the ANSI window it always was.
ATOM RegisterSplashClass(HINSTANCE instance, HICON icon) {
  WNDCLASSEXA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = SplashWindowProc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hIconSm = icon;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kSplashClass;
  if (!Utf8Script()) return RegisterClassExA(&wc);
  // The W record is the A record with wide texts in its two name fields
  // (the menu name is null).
  wc.lpszClassName = reinterpret_cast<const char*>(kSplashClassW);
  return RegisterClassExW(reinterpret_cast<WNDCLASSEXW*>(&wc));
}

void SetSplashOwner(HWND owner, HINSTANCE instance) {
  g_splash_owner = owner;
  g_splash_instance = instance;
}

void InstallSplashCommands(script::Interp& in) {
  script::SetHandler(in, script::CMD_SPLASHTEXTON, CmdSplashTextOn);
  script::SetHandler(in, script::CMD_SPLASHTEXTOFF, CmdSplashTextOff);
}

}  // namespace commands
