// The window conditions: IfWinExist, IfWinNotExist, IfWinActive and
// IfWinNotActive run the rest of their line when they hold.
#include "script/core_commands.h"
#include "script/interp.h"
#include "script/text.h"

namespace script {

WindowHandle StorePatternAndFind(Interp& in, const char* title, const char* text) {
  CopyText(in.match.title, title, kBufSize);
  CopyText(in.match.text, text, kBufSize);
  return in.sys->find_window(in.sys->context, in.match, in.title_match_mode,
                             in.detect_hidden_text, in.detect_accessible_text);
}

void AddWindowDelay(Interp& in) { AddStepDelay(in, in.win_delay); }

namespace {

// Only the first matching window is compared with the foreground window.
bool MatchIsActive(Interp& in, Fields& f) {
  WindowHandle window = StorePatternAndFind(in, f.at[0], f.at[1]);
  return window != 0 && window == in.sys->foreground_window(in.sys->context);
}

// IfWinExist, title, text, command   e.g.  IfWinExist, Untitled - Notepad, , WinClose, Untitled - Notepad
bool CmdIfWinExist(Interp& in, Fields& f) {
  if (StorePatternAndFind(in, f.at[0], f.at[1]) == 0) return true;
  return RunTail(in, f);
}

// IfWinNotExist, title, text, command   e.g.  IfWinNotExist, Calculator, , Goto, StartCalc
bool CmdIfWinNotExist(Interp& in, Fields& f) {
  if (StorePatternAndFind(in, f.at[0], f.at[1]) != 0) return true;
  return RunTail(in, f);
}

// IfWinActive, title, text, command   e.g.  IfWinActive, Save As, , Send, {ENTER}
bool CmdIfWinActive(Interp& in, Fields& f) {
  if (!MatchIsActive(in, f)) return true;
  return RunTail(in, f);
}

// IfWinNotActive, title, text, command   e.g.  IfWinNotActive, Untitled - Notepad, , WinActivate, Untitled - Notepad
// Holds also when no window matches at all.
bool CmdIfWinNotActive(Interp& in, Fields& f) {
  if (MatchIsActive(in, f)) return true;
  return RunTail(in, f);
}

}  // namespace

void InstallWindowConditions(Interp& in) {
  SetHandler(in, CMD_IFWINEXIST, CmdIfWinExist);
  SetHandler(in, CMD_IFWINNOTEXIST, CmdIfWinNotExist);
  SetHandler(in, CMD_IFWINACTIVE, CmdIfWinActive);
  SetHandler(in, CMD_IFWINNOTACTIVE, CmdIfWinNotActive);
}

}  // namespace script
