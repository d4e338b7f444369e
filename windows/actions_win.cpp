// The commands that act on one matching window: WinActivate, the show
// commands, WinClose and WinKill. A window that does not match is left alone
// and no delay is added. None of them waits on the window's program beyond a
// short bound: a program that has stopped answering must not freeze the runner.
#include <windows.h>

#include "windows/match.h"
#include "windows/window_commands.h"

namespace windows {

namespace {

// The system WinActivate activates windows on (set by the installer).
const SystemInfo* g_system;

// Shows a window: at once when its program answers, so the next line sees
// the change; otherwise the asynchronous form only asks the window's thread,
// so the command has its effect when the program wakes, and the runner goes on.
void Show(HWND window, int how) {
  if (IsResponsive(window)) ShowWindow(window, how);
  else ShowWindowAsync(window, how);
}

// Shows the window of the line in the given way and adds the window delay.
bool ShowWindowOfLine(script::Interp& in, script::Fields& f, int how) {
  HWND window = StorePatternAndFind(in, f);
  if (window == NULL) return true;
  Show(window, how);
  script::AddWindowDelay(in);
  return true;
}

// WinActivate, title, text   e.g.  WinActivate, Untitled - Notepad
// The foreground wait holds the thread, but a window that is destroyed or
// never comes forward releases it (see kForegroundWaitMs).
bool CmdWinActivate(script::Interp& in, script::Fields& f) {
  HWND window = StorePatternAndFind(in, f);
  if (window == NULL) return true;
  bool responsive = IsResponsive(window);
  if (responsive) ShowWindow(window, SW_SHOW);
  else ShowWindowAsync(window, SW_SHOW);
  ActivateWindow(window, *g_system, responsive);
  WaitForForeground(window);
  script::AddWindowDelay(in);
  return true;
}

// WinMinimize, title, text   e.g.  WinMinimize, Untitled - Notepad
bool CmdWinMinimize(script::Interp& in, script::Fields& f) {
  return ShowWindowOfLine(in, f, SW_MINIMIZE);
}

// WinRestore, title, text   e.g.  WinRestore, Untitled - Notepad
bool CmdWinRestore(script::Interp& in, script::Fields& f) {
  return ShowWindowOfLine(in, f, SW_RESTORE);
}

// WinHide, title, text   e.g.  WinHide, Untitled - Notepad
bool CmdWinHide(script::Interp& in, script::Fields& f) { return ShowWindowOfLine(in, f, SW_HIDE); }

// WinMaximize, title, text   e.g.  WinMaximize, Untitled - Notepad
bool CmdWinMaximize(script::Interp& in, script::Fields& f) {
  return ShowWindowOfLine(in, f, SW_MAXIMIZE);
}

// WinShow, title, text   e.g.  WinShow, Untitled - Notepad
// Finds hidden windows whatever DetectHiddenText says, and leaves the setting as it was.
bool CmdWinShow(script::Interp& in, script::Fields& f) {
  int saved = in.detect_hidden_text;
  in.detect_hidden_text = 1;
  ShowWindowOfLine(in, f, SW_SHOW);
  in.detect_hidden_text = saved;
  return true;
}

// WinClose, title, text   e.g.  WinClose, Untitled - Notepad
// Only asks: the window may refuse, and the command does not wait.
bool CmdWinClose(script::Interp& in, script::Fields& f) {
  HWND window = StorePatternAndFind(in, f);
  if (window == NULL) return true;
  PostMessageA(window, WM_CLOSE, 0, 0);
  script::AddWindowDelay(in);
  return true;
}

// WinKill, title, text   e.g.  WinKill, Untitled - Notepad
bool CmdWinKill(script::Interp& in, script::Fields& f) {
  HWND window = StorePatternAndFind(in, f);
  if (window == NULL) return true;
  CloseOrKillWindow(window);
  script::AddWindowDelay(in);
  return true;
}

}  // namespace

void InstallActionCommands(script::Interp& in, const SystemInfo& system) {
  g_system = &system;
  script::SetHandler(in, script::CMD_WINACTIVATE, CmdWinActivate);
  script::SetHandler(in, script::CMD_WINMINIMIZE, CmdWinMinimize);
  script::SetHandler(in, script::CMD_WINRESTORE, CmdWinRestore);
  script::SetHandler(in, script::CMD_WINHIDE, CmdWinHide);
  script::SetHandler(in, script::CMD_WINMAXIMIZE, CmdWinMaximize);
  script::SetHandler(in, script::CMD_WINSHOW, CmdWinShow);
  script::SetHandler(in, script::CMD_WINCLOSE, CmdWinClose);
  script::SetHandler(in, script::CMD_WINKILL, CmdWinKill);
}

}  // namespace windows
