// Installers of the command files of the core.
#ifndef KESTRO_SCRIPT_CORE_COMMANDS_H
#define KESTRO_SCRIPT_CORE_COMMANDS_H

namespace script {

struct Interp;

// script/flow.cpp: Goto, Gosub, Return, Repeat, EndRepeat, Exit and the settings.
void InstallFlowCommands(Interp& in);

// script/variable_commands.cpp: SetEnv, EnvAdd, EnvSub and the variable conditions.
void InstallVariableCommands(Interp& in);

}  // namespace script

#endif
