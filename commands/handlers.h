// Installers of the system commands: each file of this folder plugs its
// commands into the interpreter by index.
#ifndef KESTRO_COMMANDS_HANDLERS_H
#define KESTRO_COMMANDS_HANDLERS_H

#include "script/interp.h"

namespace commands {

// Plugs every command of this folder into the interpreter (called at start-up).
void InstallCommands(script::Interp& in);

// One installer per file.
void InstallTextFileCommands(script::Interp& in);   // text_files_win.cpp: FileAppend, FileReadLine
void InstallIniCommands(script::Interp& in);        // ini_win.cpp: IniRead, IniWrite, IniDelete
void InstallRegistryCommands(script::Interp& in);   // registry_win.cpp: RegRead, RegWrite, RegDelete
void InstallProgramCommands(script::Interp& in);    // programs_win.cpp: Run, RunWait, Shutdown
void InstallDialogCommands(script::Interp& in);     // dialogs_win.cpp: MsgBox, IfMsgBox, InputBox
void InstallSplashCommands(script::Interp& in);     // splash_win.cpp: SplashTextOn, SplashTextOff
void InstallPathConditions(script::Interp& in);     // path_conditions_win.cpp: IfExist, IfNotExist

}  // namespace commands

#endif
