// The window conditions: IfWinExist, IfWinNotExist, IfWinActive and
// IfWinNotActive run the rest of their line when they hold.
#include <windows.h>

#include "script/commands.h"
#include "script/engine.h"
#include "script/params.h"
#include "windows/window_commands.h"
#include "windows/windows.h"

namespace win {

namespace {

// Reads title and text, each up to a comma, into the match pattern; false
// (after reporting `message`) when either comma is missing.
bool ReadConditionPattern(char* line, int* cursor, const char* message) {
  int at_end = script::SplitField(',', line, cursor, g_match.title);
  at_end += script::SplitField(',', line, cursor, g_match.text);
  if (at_end != 0) {
    script::ReportError(message);
    return false;
  }
  return true;
}

// The window the pattern matched is the foreground window.
bool MatchIsActive() { return FindMatchingWindow() == 0 && g_match.target == GetForegroundWindow(); }

// IfWinExist, title, text, command   e.g.  IfWinExist, Untitled - Notepad, , WinClose, Untitled - Notepad
void CmdIfWinExist(char* line, char* param, int* cursor) {
  if (!ReadConditionPattern(line, cursor, "IfWinExist: Invalid number of parameters!")) return;
  if (FindMatchingWindow() == 0) script::Dispatch(line, param, cursor);
}

// IfWinNotExist, title, text, command   e.g.  IfWinNotExist, Calculator, , Goto, StartCalc
void CmdIfWinNotExist(char* line, char* param, int* cursor) {
  if (!ReadConditionPattern(line, cursor, "IfWinNotExist: Invalid number of parameters!")) return;
  if (FindMatchingWindow() != 0) script::Dispatch(line, param, cursor);
}

// IfWinActive, title, text, command   e.g.  IfWinActive, Save As, , Send, {ENTER}
void CmdIfWinActive(char* line, char* param, int* cursor) {
  if (!ReadConditionPattern(line, cursor, "IfWinActive: Invalid number of parameters!")) return;
  if (MatchIsActive()) script::Dispatch(line, param, cursor);
}

// IfWinNotActive, title, text, command   e.g.  IfWinNotActive, Untitled - Notepad, , WinActivate, Untitled - Notepad
// Holds also when no window matches at all.
void CmdIfWinNotActive(char* line, char* param, int* cursor) {
  if (!ReadConditionPattern(line, cursor, "IfWinNotActive: Invalid number of parameters!")) return;
  if (!MatchIsActive()) script::Dispatch(line, param, cursor);
}

}  // namespace

void InstallConditions() {
  script::SetCommandHandler(script::CMD_IFWINEXIST, CmdIfWinExist);
  script::SetCommandHandler(script::CMD_IFWINNOTEXIST, CmdIfWinNotExist);
  script::SetCommandHandler(script::CMD_IFWINACTIVE, CmdIfWinActive);
  script::SetCommandHandler(script::CMD_IFWINNOTACTIVE, CmdIfWinNotActive);
}

}  // namespace win
