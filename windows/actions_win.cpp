// The commands that act on one matching window: WinActivate, the show
// commands, WinClose and WinKill. A window that does not match is left alone
// and no delay is added.
#include <windows.h>

#include "script/commands.h"
#include "script/engine.h"
#include "script/params.h"
#include "windows/window_commands.h"
#include "windows/windows.h"

namespace win {

namespace {

// Matches the title and text of the line; true when a window was found.
bool FindWindowOfLine(char* line, int* cursor) {
  ReadWindowParameters(line, cursor);
  return FindMatchingWindow() == 0;
}

// Shows the window of the line in the given way and adds the window delay.
void ShowWindowOfLine(char* line, int* cursor, int how) {
  if (!FindWindowOfLine(line, cursor)) return;
  ShowWindow(g_match.target, how);
  AddWindowDelay();
}

// WinActivate, title, text   e.g.  WinActivate, Untitled - Notepad
// The foreground wait holds the thread, but a window that is destroyed or
// never comes forward releases it (see kForegroundWaitMs).
void CmdWinActivate(char* line, char*, int* cursor) {
  if (!FindWindowOfLine(line, cursor)) return;
  HWND window = g_match.target;
  ShowWindow(window, SW_SHOW);
  ActivateWindow(window);
  WaitForForeground(window);
  AddWindowDelay();
}

// WinMinimize, title, text   e.g.  WinMinimize, Untitled - Notepad
void CmdWinMinimize(char* line, char*, int* cursor) { ShowWindowOfLine(line, cursor, SW_MINIMIZE); }

// WinRestore, title, text   e.g.  WinRestore, Untitled - Notepad
void CmdWinRestore(char* line, char*, int* cursor) { ShowWindowOfLine(line, cursor, SW_RESTORE); }

// WinHide, title, text   e.g.  WinHide, Untitled - Notepad
void CmdWinHide(char* line, char*, int* cursor) { ShowWindowOfLine(line, cursor, SW_HIDE); }

// WinMaximize, title, text   e.g.  WinMaximize, Untitled - Notepad
void CmdWinMaximize(char* line, char*, int* cursor) { ShowWindowOfLine(line, cursor, SW_MAXIMIZE); }

// WinShow, title, text   e.g.  WinShow, Untitled - Notepad
// Finds hidden windows whatever DetectHiddenText says, and leaves the setting as it was.
void CmdWinShow(char* line, char*, int* cursor) {
  int saved = script::g_engine.detect_hidden_text;
  script::g_engine.detect_hidden_text = 1;
  ShowWindowOfLine(line, cursor, SW_SHOW);
  script::g_engine.detect_hidden_text = saved;
}

// WinClose, title, text   e.g.  WinClose, Untitled - Notepad
// Only asks: the window may refuse, and the command does not wait.
void CmdWinClose(char* line, char*, int* cursor) {
  if (!FindWindowOfLine(line, cursor)) return;
  PostMessageA(g_match.target, WM_CLOSE, 0, 0);
  AddWindowDelay();
}

// WinKill, title, text   e.g.  WinKill, Untitled - Notepad
void CmdWinKill(char* line, char*, int* cursor) {
  if (!FindWindowOfLine(line, cursor)) return;
  CloseOrKillWindow(g_match.target);
  AddWindowDelay();
}

}  // namespace

void ReadWindowParameters(char* line, int* cursor) {
  g_match.text[0] = '\0';
  if (script::SplitField(',', line, cursor, g_match.title)) return;
  script::SplitField(0, line, cursor, g_match.text);
}

void InstallActionCommands() {
  script::SetCommandHandler(script::CMD_WINACTIVATE, CmdWinActivate);
  script::SetCommandHandler(script::CMD_WINMINIMIZE, CmdWinMinimize);
  script::SetCommandHandler(script::CMD_WINRESTORE, CmdWinRestore);
  script::SetCommandHandler(script::CMD_WINHIDE, CmdWinHide);
  script::SetCommandHandler(script::CMD_WINMAXIMIZE, CmdWinMaximize);
  script::SetCommandHandler(script::CMD_WINSHOW, CmdWinShow);
  script::SetCommandHandler(script::CMD_WINCLOSE, CmdWinClose);
  script::SetCommandHandler(script::CMD_WINKILL, CmdWinKill);
}

}  // namespace win
