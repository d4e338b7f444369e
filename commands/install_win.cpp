// Plugs the handlers of the command subsystems into the command table.
#include "commands/handlers.h"

namespace commands {

void InstallCommandHandlers() {
  InstallWindowCommands();
  InstallInputCommands();
  InstallDialogCommands();
  InstallVariableCommands();
  InstallTextFileCommands();
  InstallIniRegistryCommands();
  InstallProgramCommands();
}

}  // namespace commands
