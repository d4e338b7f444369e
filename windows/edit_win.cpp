// The commands that change or read windows with parameters of their own:
// WinMove, WinSetTitle, WinMinimizeAll and WinGetActiveTitle.
#include <windows.h>

#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"
#include "windows/match.h"
#include "windows/wide_text_win.h"
#include "windows/window_commands.h"

namespace windows {

namespace {

// The taskbar's "minimise all windows" command.
const WPARAM kTrayMinimizeAll = 419;

// How long WinSetTitle waits for the window's program to take the new title.
// The message stays with the program when the bound passes, so a busy
// program still takes the title when it wakes.
const UINT kSetTitleTimeoutMs = 500;

// A width or height field: "default" (any case) keeps the current size.
int Extent(const char* field, int current) {
  return script::EqualsNoCase(field, "default") ? current : script::IntegerValue(field);
}

// WinMove, title, text, x, y, width, height   e.g.  WinMove, Untitled - Notepad, , 0, 0, default, 400
bool CmdWinMove(script::Interp& in, script::Fields& f) {
  HWND window = StorePatternAndFind(in, f);
  if (window == NULL) return true;
  RECT rect;
  if (!GetWindowRect(window, &rect)) SetRectEmpty(&rect);  // gone meanwhile
  int w = Extent(f.at[4], rect.right - rect.left);
  int h = Extent(f.at[5], rect.bottom - rect.top);
  int x = script::IntegerValue(f.at[2]);
  int y = script::IntegerValue(f.at[3]);
  // A program that does not answer gets the asynchronous form: its own thread
  // moves the window when it wakes, and the runner goes on.
  if (IsResponsive(window)) MoveWindow(window, x, y, w, h, TRUE);
  else SetWindowPos(window, NULL, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  script::AddWindowDelay(in);
  return true;
}

// WinSetTitle, title, text, new title   e.g.  WinSetTitle, Untitled - Notepad, , Notes
bool CmdWinSetTitle(script::Interp& in, script::Fields& f) {
  HWND window = StorePatternAndFind(in, f);
  if (window == NULL) return true;
  DWORD_PTR result = 0;
  // A Unicode title goes to the window as UTF-16 (the W form of the message).
  bool utf8 = in.sections.utf8;
  LPARAM title = utf8 ? reinterpret_cast<LPARAM>(Wide(f.at[2], 0))
                      : reinterpret_cast<LPARAM>(f.at[2]);
  (utf8 ? SendMessageTimeoutW : SendMessageTimeoutA)(window, WM_SETTEXT, 0, title, SMTO_NORMAL,
                                                     kSetTitleTimeoutMs, &result);
  script::AddWindowDelay(in);
  return true;
}

// WinMinimizeAll   e.g.  WinMinimizeAll
// The taskbar does the work; without one nothing happens, but the delay is still added.
bool CmdWinMinimizeAll(script::Interp& in, script::Fields&) {
  HWND taskbar = FindWindowA("Shell_TrayWnd", NULL);
  // PostMessage to no window would post to this thread's own queue instead.
  if (taskbar != NULL) PostMessageA(taskbar, WM_COMMAND, kTrayMinimizeAll, 0);
  script::AddWindowDelay(in);
  return true;
}

// WinGetActiveTitle, variable   e.g.  WinGetActiveTitle, OldTitle
// The variable "clipboard" puts the title on the clipboard.
bool CmdWinGetActiveTitle(script::Interp& in, script::Fields& f) {
  char title[script::kMaxValue];
  title[0] = '\0';
  HWND foreground = GetForegroundWindow();
  if (foreground != NULL) ReadTitle(foreground, title, sizeof(title), in.sections.utf8);
  script::WriteVariable(*in.sys, f.at[0], title);
  return true;
}

}  // namespace

void InstallEditCommands(script::Interp& in) {
  script::SetHandler(in, script::CMD_WINMOVE, CmdWinMove);
  script::SetHandler(in, script::CMD_WINSETTITLE, CmdWinSetTitle);
  script::SetHandler(in, script::CMD_WINMINIMIZEALL, CmdWinMinimizeAll);
  script::SetHandler(in, script::CMD_WINGETACTIVETITLE, CmdWinGetActiveTitle);
}

}  // namespace windows
