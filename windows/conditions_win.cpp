// The window conditions: IfWinExist, IfWinNotExist, IfWinActive and
// IfWinNotActive run the rest of their line when they hold.
#include <windows.h>

#include "windows/match.h"
#include "windows/window_commands.h"

namespace windows {

namespace {

// The window the pattern matched is the foreground window.
bool MatchIsActive(script::Interp& in, script::Fields& f) {
  HWND window;
  return FindPattern(in, f.at[0], f.at[1], &window) && window == GetForegroundWindow();
}

// IfWinExist, title, text, command   e.g.  IfWinExist, Untitled - Notepad, , WinClose, Untitled - Notepad
bool CmdIfWinExist(script::Interp& in, script::Fields& f) {
  HWND window;
  if (!FindPattern(in, f.at[0], f.at[1], &window)) return true;
  return script::RunTail(in, f);
}

// IfWinNotExist, title, text, command   e.g.  IfWinNotExist, Calculator, , Goto, StartCalc
bool CmdIfWinNotExist(script::Interp& in, script::Fields& f) {
  HWND window;
  if (FindPattern(in, f.at[0], f.at[1], &window)) return true;
  return script::RunTail(in, f);
}

// IfWinActive, title, text, command   e.g.  IfWinActive, Save As, , Send, {ENTER}
bool CmdIfWinActive(script::Interp& in, script::Fields& f) {
  if (!MatchIsActive(in, f)) return true;
  return script::RunTail(in, f);
}

// IfWinNotActive, title, text, command   e.g.  IfWinNotActive, Untitled - Notepad, , WinActivate, Untitled - Notepad
// Holds also when no window matches at all.
bool CmdIfWinNotActive(script::Interp& in, script::Fields& f) {
  if (MatchIsActive(in, f)) return true;
  return script::RunTail(in, f);
}

}  // namespace

void InstallConditions(script::Interp& in) {
  script::SetHandler(in, script::CMD_IFWINEXIST, CmdIfWinExist);
  script::SetHandler(in, script::CMD_IFWINNOTEXIST, CmdIfWinNotExist);
  script::SetHandler(in, script::CMD_IFWINACTIVE, CmdIfWinActive);
  script::SetHandler(in, script::CMD_IFWINNOTACTIVE, CmdIfWinNotActive);
}

}  // namespace windows
