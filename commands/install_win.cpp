// Plugs the system commands into the interpreter.
#include "commands/handlers.h"

namespace commands {

void InstallCommands(script::Interp& in, const windows::SystemInfo& system) {
  InstallDialogCommands(in, system);
  InstallSplashCommands(in);
  InstallTextFileCommands(in);
  InstallIniCommands(in);
  InstallRegistryCommands(in);
  InstallProgramCommands(in, system);
}

}  // namespace commands
