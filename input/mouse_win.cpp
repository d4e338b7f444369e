// The mouse commands (clicks, drags, moves, reading the position) and
// BlockInput. Script positions are pixels from the top-left corner of the
// foreground window's outer rectangle, frame and title bar included.
#include <stdio.h>
#include <windows.h>

#include "input/coords.h"
#include "input/input_win.h"
#include "script/commands.h"
#include "script/engine.h"
#include "script/limits.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"

namespace input {

namespace {

// Mouse-event flags; every event is given in absolute coordinates.
const DWORD kMove = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;            // 0x8001
const DWORD kLeftDown = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;    // 0x8002
const DWORD kLeftUp = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;        // 0x8004
const DWORD kRightDown = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_RIGHTDOWN;  // 0x8008
const DWORD kRightUp = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_RIGHTUP;      // 0x8010

// The origin of script positions. With no foreground window (the desktop
// between two activations) there is no rectangle to measure from, and the
// screen's own top-left corner is used: positions are then screen pixels.
Point ScriptOrigin() {
  Point origin = {0, 0};
  HWND foreground = GetForegroundWindow();
  RECT rect;
  if (foreground == NULL || !GetWindowRect(foreground, &rect)) return origin;
  origin.x = rect.left;
  origin.y = rect.top;
  return origin;
}

// The screen size: the right and bottom edges of the desktop window.
Point ScreenSize() {
  Point size = {0, 0};
  RECT rect;
  if (!GetWindowRect(GetDesktopWindow(), &rect)) return size;
  size.x = rect.right;
  size.y = rect.bottom;
  return size;
}

Point ToAbsolutePosition(const char* x_text, const char* y_text) {
  Point script_pos = {script::IntegerValue(x_text), script::IntegerValue(y_text)};
  return ScriptToAbsolute(script_pos, ScriptOrigin(), ScreenSize());
}

// One mouse event at an absolute position, then the key delay. The absolute
// values are handed over as they are: a negative one reaches mouse_event as
// its two's complement, which the system clamps to the screen edge.
void MouseEvent(DWORD flags, Point at) {
  mouse_event(flags, static_cast<DWORD>(at.x), static_cast<DWORD>(at.y), 0, 0);
  SleepKeyDelay();
}

// Move, button down, button up, all at the same point.
void Click(char* line, char* param, int* cursor, DWORD down, DWORD up) {
  char x[script::kBufSize];
  bool missing = script::SplitField(',', line, cursor, x);
  script::SplitField(0, line, cursor, param);
  if (missing) return;  // a click with one parameter does nothing
  Point at = ToAbsolutePosition(x, param);
  MouseEvent(kMove, at);
  MouseEvent(down, at);
  MouseEvent(up, at);
}

// Move to point 1, button down, move to point 2, button up; both points are
// converted before the first event.
void Drag(char* line, char* param, int* cursor, DWORD down, DWORD up, const char* message) {
  char x1[script::kBufSize];
  char y1[script::kBufSize];
  char x2[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, x1);
  missing += script::SplitField(',', line, cursor, y1);
  missing += script::SplitField(',', line, cursor, x2);
  script::SplitField(0, line, cursor, param);
  if (missing) {
    script::ReportError(message);
    return;
  }
  Point from = ToAbsolutePosition(x1, y1);
  Point to = ToAbsolutePosition(x2, param);
  MouseEvent(kMove, from);
  MouseEvent(down, from);
  MouseEvent(kMove, to);
  MouseEvent(up, to);
}

// LeftClick, x, y   e.g.  LeftClick, 120, 45
void CmdLeftClick(char* line, char* param, int* cursor) {
  Click(line, param, cursor, kLeftDown, kLeftUp);
}

// RightClick, x, y   e.g.  RightClick, 120, 45
void CmdRightClick(char* line, char* param, int* cursor) {
  Click(line, param, cursor, kRightDown, kRightUp);
}

// LeftClickDrag, x1, y1, x2, y2   e.g.  LeftClickDrag, 20, 60, 200, 60
void CmdLeftClickDrag(char* line, char* param, int* cursor) {
  Drag(line, param, cursor, kLeftDown, kLeftUp, "LeftClickDrag: Invalid number of parameters!");
}

// RightClickDrag, x1, y1, x2, y2   e.g.  RightClickDrag, 20, 60, 200, 60
void CmdRightClickDrag(char* line, char* param, int* cursor) {
  Drag(line, param, cursor, kRightDown, kRightUp, "RightClickDrag: Invalid number of parameters!");
}

// MouseMove, x, y   e.g.  MouseMove, 200, 10
void CmdMouseMove(char* line, char* param, int* cursor) {
  char x[script::kBufSize];
  bool missing = script::SplitField(',', line, cursor, x);
  script::SplitField(0, line, cursor, param);
  if (missing) {
    script::ReportError("MouseMove: Invalid number of parameters!");
    return;
  }
  MouseEvent(kMove, ToAbsolutePosition(x, param));
}

// MouseGetPos, x variable, y variable   e.g.  MouseGetPos, MX, MY
// Stores the cursor's position in pixels relative to the foreground window,
// negative left of or above it; either name may be "clipboard".
void CmdMouseGetPos(char* line, char* param, int* cursor) {
  char x_name[script::kBufSize];
  bool missing = script::SplitField(',', line, cursor, x_name);
  script::SplitField(0, line, cursor, param);
  if (missing) {
    script::ReportError("MouseGetPos: Invalid number of parameters!");
    return;
  }
  POINT cursor_pos = {0, 0};
  GetCursorPos(&cursor_pos);
  Point screen_pos = {cursor_pos.x, cursor_pos.y};
  Point pos = ScreenToScript(screen_pos, ScriptOrigin());
  char number[16];
  wsprintfA(number, "%d", pos.x);
  script::WriteVariable(x_name, number);
  wsprintfA(number, "%d", pos.y);
  script::WriteVariable(param, number);
}

typedef BOOL(WINAPI* BlockInputFn)(BOOL block);

// BlockInput, On|Off   e.g.  BlockInput, On
// "On" blocks the user's keyboard and mouse, anything else unblocks. The
// function is looked up at run time: systems without it simply do nothing.
void CmdBlockInput(char* line, char* param, int* cursor) {
  script::SplitField(0, line, cursor, param);
  HMODULE user32 = LoadLibraryA("user32.dll");
  if (user32 == NULL) return;
  BlockInputFn block_input =
      reinterpret_cast<BlockInputFn>(reinterpret_cast<void*>(GetProcAddress(user32, "BlockInput")));
  if (block_input != NULL) block_input(script::EqualsNoCase(param, "On") ? TRUE : FALSE);
  FreeLibrary(user32);
}

}  // namespace

void InstallMouseCommands() {
  script::SetCommandHandler(script::CMD_LEFTCLICK, CmdLeftClick);
  script::SetCommandHandler(script::CMD_RIGHTCLICK, CmdRightClick);
  script::SetCommandHandler(script::CMD_LEFTCLICKDRAG, CmdLeftClickDrag);
  script::SetCommandHandler(script::CMD_RIGHTCLICKDRAG, CmdRightClickDrag);
  script::SetCommandHandler(script::CMD_MOUSEMOVE, CmdMouseMove);
  script::SetCommandHandler(script::CMD_MOUSEGETPOS, CmdMouseGetPos);
  script::SetCommandHandler(script::CMD_BLOCKINPUT, CmdBlockInput);
}

}  // namespace input
