// The host's own command (HideKestroWin) and the table slots it fills on
// behalf of the command subsystems.
#include <windows.h>

#include "commands/handlers.h"
#include "host/host.h"
#include "script/commands.h"
#include "script/params.h"
#include "script/text.h"

namespace host {

namespace {

// HideKestroWin, On|Off   e.g.  HideKestroWin, On
// "On" hides the host window and its tray icon for good; anything else
// brings the tray icon back (the window stays as it is).
void CmdHideKestroWin(char* line, char* param, int* cursor) {
  script::SplitField(0, line, cursor, param);
  if (script::EqualsNoCase(param, "On")) {
    g_host.hidden = true;
    RemoveTrayIcon();
    ShowWindow(g_host.window, SW_HIDE);
    return;
  }
  g_host.hidden = false;
  AddTrayIcon();
}

}  // namespace

void InstallHostCommands() {
  script::SetCommandHandler(script::CMD_HIDEKESTROWIN, CmdHideKestroWin);
  commands::InstallCommandHandlers();
}

}  // namespace host
