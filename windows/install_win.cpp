// Plugs the window commands, the window-wait pollers and the Adlib walk into
// the command table and the run loop.
#include "commands/handlers.h"
#include "host/host.h"
#include "windows/window_commands.h"
#include "windows/windows.h"

namespace commands {

void InstallWindowCommands() {
  win::InstallWaitCommands();
  win::InstallConditions();
  win::InstallActionCommands();
  win::InstallEditCommands();
  host::SetAdlibWalker(script::AdlibWalk);
}

}  // namespace commands
