// The mouse commands (clicks, drags, moves, reading the position) and
// BlockInput. Script positions are pixels from the top-left corner of the
// foreground window's outer rectangle, frame and title bar included.
#include <stdio.h>
#include <windows.h>

#include "input/input_win.h"
#include "script/coords.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"

namespace input {

namespace {

using script::Point;

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
  return script::ScriptToAbsolute(script_pos, ScriptOrigin(), ScreenSize());
}

// One mouse event at an absolute position, then the key delay. The absolute
// values are handed over as they are: a negative one reaches mouse_event as
// its two's complement, which the system clamps to the screen edge.
void MouseEvent(const script::Interp& in, DWORD flags, Point at) {
  mouse_event(flags, static_cast<DWORD>(at.x), static_cast<DWORD>(at.y), 0, 0);
  SleepKeyDelay(in);
}

// Move, button down, button up, all at the same point. A click with one
// parameter does nothing (the table gives it no message).
void Click(const script::Interp& in, script::Fields& f, DWORD down, DWORD up) {
  Point at = ToAbsolutePosition(f.at[0], f.at[1]);
  MouseEvent(in, kMove, at);
  MouseEvent(in, down, at);
  MouseEvent(in, up, at);
}

// Move to point 1, button down, move to point 2, button up; both points are
// converted before the first event.
void Drag(const script::Interp& in, script::Fields& f, DWORD down, DWORD up) {
  Point from = ToAbsolutePosition(f.at[0], f.at[1]);
  Point to = ToAbsolutePosition(f.at[2], f.at[3]);
  MouseEvent(in, kMove, from);
  MouseEvent(in, down, from);
  MouseEvent(in, kMove, to);
  MouseEvent(in, up, to);
}

// LeftClick, x, y   e.g.  LeftClick, 120, 45
bool CmdLeftClick(script::Interp& in, script::Fields& f) {
  Click(in, f, kLeftDown, kLeftUp);
  return true;
}

// RightClick, x, y   e.g.  RightClick, 120, 45
bool CmdRightClick(script::Interp& in, script::Fields& f) {
  Click(in, f, kRightDown, kRightUp);
  return true;
}

// LeftClickDrag, x1, y1, x2, y2   e.g.  LeftClickDrag, 20, 60, 200, 60
bool CmdLeftClickDrag(script::Interp& in, script::Fields& f) {
  Drag(in, f, kLeftDown, kLeftUp);
  return true;
}

// RightClickDrag, x1, y1, x2, y2   e.g.  RightClickDrag, 20, 60, 200, 60
bool CmdRightClickDrag(script::Interp& in, script::Fields& f) {
  Drag(in, f, kRightDown, kRightUp);
  return true;
}

// MouseMove, x, y   e.g.  MouseMove, 200, 10
bool CmdMouseMove(script::Interp& in, script::Fields& f) {
  MouseEvent(in, kMove, ToAbsolutePosition(f.at[0], f.at[1]));
  return true;
}

// MouseGetPos, x variable, y variable   e.g.  MouseGetPos, MX, MY
// Stores the cursor's position in pixels relative to the foreground window,
// negative left of or above it; either name may be "clipboard".
bool CmdMouseGetPos(script::Interp& in, script::Fields& f) {
  POINT cursor_pos = {0, 0};
  GetCursorPos(&cursor_pos);
  Point screen_pos = {cursor_pos.x, cursor_pos.y};
  Point pos = script::ScreenToScript(screen_pos, ScriptOrigin());
  char number[16];
  wsprintfA(number, "%d", pos.x);
  script::WriteVariable(*in.sys, f.at[0], number);
  wsprintfA(number, "%d", pos.y);
  script::WriteVariable(*in.sys, f.at[1], number);
  return true;
}

typedef BOOL(WINAPI* BlockInputFn)(BOOL block);

// BlockInput, On|Off   e.g.  BlockInput, On
// "On" blocks the user's keyboard and mouse, anything else unblocks. The
// function is looked up at run time: systems without it simply do nothing.
bool CmdBlockInput(script::Interp&, script::Fields& f) {
  HMODULE user32 = LoadLibraryA("user32.dll");
  if (user32 == NULL) return true;
  BlockInputFn block_input =
      reinterpret_cast<BlockInputFn>(reinterpret_cast<void*>(GetProcAddress(user32, "BlockInput")));
  if (block_input != NULL) block_input(script::EqualsNoCase(f.at[0], "On") ? TRUE : FALSE);
  FreeLibrary(user32);
  return true;
}

}  // namespace

void InstallMouseCommands(script::Interp& in) {
  script::SetHandler(in, script::CMD_LEFTCLICK, CmdLeftClick);
  script::SetHandler(in, script::CMD_RIGHTCLICK, CmdRightClick);
  script::SetHandler(in, script::CMD_LEFTCLICKDRAG, CmdLeftClickDrag);
  script::SetHandler(in, script::CMD_RIGHTCLICKDRAG, CmdRightClickDrag);
  script::SetHandler(in, script::CMD_MOUSEMOVE, CmdMouseMove);
  script::SetHandler(in, script::CMD_MOUSEGETPOS, CmdMouseGetPos);
  script::SetHandler(in, script::CMD_BLOCKINPUT, CmdBlockInput);
}

}  // namespace input
