// Plugs the system commands into the interpreter.
#include "commands/handlers.h"

namespace commands {

void InstallCommands(script::Interp& in) {
  InstallDialogCommands(in);
  InstallSplashCommands(in);
  InstallPathConditions(in);
  InstallTextFileCommands(in);
  InstallIniCommands(in);
  InstallRegistryCommands(in);
  InstallProgramCommands(in);
}

}  // namespace commands
