// Installers of the command files of the core.
#ifndef KESTRO_SCRIPT_CORE_COMMANDS_H
#define KESTRO_SCRIPT_CORE_COMMANDS_H

namespace script {

struct Interp;

// script/flow.cpp: Goto, Gosub, Return, Repeat, EndRepeat, Exit and the settings.
void InstallFlowCommands(Interp& in);

// script/variable_commands.cpp: SetEnv, EnvAdd, EnvSub and the variable conditions.
void InstallVariableCommands(Interp& in);

// script/window_conditions.cpp: IfWinExist, IfWinNotExist, IfWinActive, IfWinNotActive.
void InstallWindowConditions(Interp& in);

// script/window_waits.cpp: the four window waits and their pollers.
void InstallWindowWaits(Interp& in);

// script/run_wait.cpp: the RunWait poller (the command that starts the program is the host's).
void InstallRunWaitPoller(Interp& in);

// script/path_conditions.cpp: IfExist and IfNotExist.
void InstallPathConditions(Interp& in);

// script/message_box.cpp: MsgBox and IfMsgBox.
void InstallMessageBoxCommands(Interp& in);

}  // namespace script

#endif
