// Plugs the system commands into the interpreter, and tells them the script's encoding.
#include "commands/handlers.h"

namespace commands {

namespace {

const windows::SystemInfo* g_system;  // the host's, read when a command runs

}  // namespace

// The host learns the script's encoding after the commands are plugged in,
// so it is read when asked.
bool Utf8Script() { return g_system->utf8_script; }

void InstallCommands(script::Interp& in, const windows::SystemInfo& system) {
  g_system = &system;
  InstallDialogCommands(in, system);
  InstallSplashCommands(in);
  InstallTextFileCommands(in);
  InstallIniCommands(in);
  InstallRegistryCommands(in);
  InstallProgramCommands(in, system);
}

}  // namespace commands
