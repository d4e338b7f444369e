// The host's own command (HideKestroWin), and the one place where the
// commands of every folder are plugged into the interpreter.
#include <windows.h>

#include "commands/handlers.h"
#include "host/host.h"
#include "input/input_win.h"
#include "script/text.h"
#include "windows/match.h"

namespace host {

namespace {

// HideKestroWin, On|Off   e.g.  HideKestroWin, On
// "On" hides the host window and its tray icon for good; anything else
// brings the tray icon back (the window stays as it is).
bool CmdHideKestroWin(script::Interp&, script::Fields& f) {
  if (script::EqualsNoCase(f.at[0], "On")) {
    g_host.hidden = true;
    RemoveTrayIcon();
    ShowWindow(g_host.window, SW_HIDE);
    return true;
  }
  g_host.hidden = false;
  AddTrayIcon();
  return true;
}

}  // namespace

void InstallAllCommands(script::Interp& in) {
  script::InstallCoreCommands(in);
  script::SetHandler(in, script::CMD_HIDEKESTROWIN, CmdHideKestroWin);
  windows::InstallCommands(in, g_host.system);
  input::InstallCommands(in);
  commands::InstallCommands(in, g_host.system);
}

}  // namespace host
