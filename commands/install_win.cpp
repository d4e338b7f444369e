// Plugs the system commands into the interpreter, and tells them the script's encoding.
#include "commands/handlers.h"

namespace commands {

namespace {

const script::Interp* g_interp;  // the host's, whose loader decides the script's encoding

}  // namespace

// The script is loaded after the commands are plugged in, so its encoding is
// read when asked.
bool Utf8Script() { return g_interp->sections.utf8; }

void InstallCommands(script::Interp& in, const windows::SystemInfo& system) {
  g_interp = &in;
  InstallDialogCommands(in, system);
  InstallSplashCommands(in);
  InstallTextFileCommands(in);
  InstallIniCommands(in);
  InstallRegistryCommands(in);
  InstallProgramCommands(in, system);
}

}  // namespace commands
