// The script commands on the system: dialogs, variables and conditions, files
// and registry, programs. Each subsystem file installs its handlers here.
#ifndef KESTRO_COMMANDS_HANDLERS_H
#define KESTRO_COMMANDS_HANDLERS_H

namespace commands {

// Plugs every command of this folder into the command table.
void InstallCommandHandlers();

// One installer per file of this folder.
void InstallTextFileCommands();

}  // namespace commands

#endif
