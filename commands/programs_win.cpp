// Placeholder until this subsystem's commands are built: installs nothing.
#include "commands/handlers.h"

namespace commands {

void InstallProgramCommands() {}

}  // namespace commands
