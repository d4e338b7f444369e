// Installers of the command handlers that live outside the interpreter core.
// Each subsystem file plugs its commands into the command table by index.
#ifndef KESTRO_COMMANDS_HANDLERS_H
#define KESTRO_COMMANDS_HANDLERS_H

namespace commands {

// Plugs every platform command into the command table (called at start-up).
void InstallCommandHandlers();

// One installer per subsystem.
void InstallTextFileCommands();     // commands/text_files_win.cpp: FileAppend, FileReadLine
void InstallIniRegistryCommands();  // commands/ini_registry_win.cpp: IniRead/Write/Delete, RegRead/Write/Delete
void InstallProgramCommands();      // commands/programs_win.cpp: Run, RunWait, Shutdown
void InstallDialogCommands();       // commands/dialogs_win.cpp: MsgBox, IfMsgBox, InputBox, SplashTextOn/Off
void InstallVariableCommands();     // commands/variables_win.cpp: SetEnv, EnvAdd, EnvSub, If... conditions
void InstallWindowCommands();       // windows/: window commands, waits, IfWin conditions, the Adlib walk
void InstallInputCommands();        // input/: Send, mouse commands, BlockInput

}  // namespace commands

#endif
