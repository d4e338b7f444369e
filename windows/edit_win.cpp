// The commands that change or read windows with parameters of their own:
// WinMove, WinSetTitle, WinMinimizeAll and WinGetActiveTitle.
#include <windows.h>

#include "script/commands.h"
#include "script/engine.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"
#include "windows/window_commands.h"
#include "windows/windows.h"

namespace win {

namespace {

// The taskbar's "minimise all windows" command.
const WPARAM kTrayMinimizeAll = 419;

// A width or height field: "default" (any case) keeps the current size.
struct Extent {
  bool keep;  // the field said "default"
  int value;  // the field's decimal value otherwise
};

void ReadExtent(const char* field, Extent* out) {
  out->keep = script::EqualsNoCase(field, "default");
  out->value = script::IntegerValue(field);
}

// WinMove, title, text, x, y, width, height   e.g.  WinMove, Untitled - Notepad, , 0, 0, default, 400
void CmdWinMove(char* line, char* param, int* cursor) {
  int at_end = script::SplitField(',', line, cursor, g_match.title);
  at_end += script::SplitField(',', line, cursor, g_match.text);
  at_end += script::SplitField(',', line, cursor, param);
  int x = script::IntegerValue(param);
  at_end += script::SplitField(',', line, cursor, param);
  int y = script::IntegerValue(param);
  Extent width, height;
  at_end += script::SplitField(',', line, cursor, param);
  ReadExtent(param, &width);
  script::SplitField(0, line, cursor, param);
  ReadExtent(param, &height);
  if (at_end != 0) {
    script::ReportError("WinMove: Invalid number of parameters!");
    return;
  }
  if (FindMatchingWindow() != 0) return;
  RECT rect;
  if (!GetWindowRect(g_match.target, &rect)) SetRectEmpty(&rect);  // gone meanwhile
  int w = width.keep ? rect.right - rect.left : width.value;
  int h = height.keep ? rect.bottom - rect.top : height.value;
  MoveWindow(g_match.target, x, y, w, h, TRUE);
  AddWindowDelay();
}

// WinSetTitle, title, text, new title   e.g.  WinSetTitle, Untitled - Notepad, , Notes
void CmdWinSetTitle(char* line, char* param, int* cursor) {
  int at_end = script::SplitField(',', line, cursor, g_match.title);
  at_end += script::SplitField(',', line, cursor, g_match.text);
  script::SplitField(0, line, cursor, param);
  if (at_end != 0) {
    script::ReportError("WinSetTitle: Invalid number of parameters!");
    return;
  }
  if (FindMatchingWindow() != 0) return;
  SetWindowTextA(g_match.target, param);
  AddWindowDelay();
}

// WinMinimizeAll   e.g.  WinMinimizeAll
// The taskbar does the work; without one nothing happens, but the delay is still added.
void CmdWinMinimizeAll(char*, char*, int*) {
  HWND taskbar = FindWindowA("Shell_TrayWnd", NULL);
  // PostMessage to no window would post to this thread's own queue instead.
  if (taskbar != NULL) PostMessageA(taskbar, WM_COMMAND, kTrayMinimizeAll, 0);
  AddWindowDelay();
}

// WinGetActiveTitle, variable   e.g.  WinGetActiveTitle, OldTitle
// The variable "clipboard" puts the title on the clipboard.
void CmdWinGetActiveTitle(char* line, char* param, int* cursor) {
  script::SplitField(0, line, cursor, param);
  char title[script::kMaxValue];
  title[0] = '\0';
  HWND foreground = GetForegroundWindow();
  if (foreground != NULL) GetWindowTextA(foreground, title, sizeof(title));
  script::WriteVariable(param, title);
}

}  // namespace

void InstallEditCommands() {
  script::SetCommandHandler(script::CMD_WINMOVE, CmdWinMove);
  script::SetCommandHandler(script::CMD_WINSETTITLE, CmdWinSetTitle);
  script::SetCommandHandler(script::CMD_WINMINIMIZEALL, CmdWinMinimizeAll);
  script::SetCommandHandler(script::CMD_WINGETACTIVETITLE, CmdWinGetActiveTitle);
}

}  // namespace win
