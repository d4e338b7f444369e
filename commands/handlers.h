// Installers of the system commands: each file of this folder plugs its
// commands into the interpreter by index.
#ifndef KESTRO_COMMANDS_HANDLERS_H
#define KESTRO_COMMANDS_HANDLERS_H

#include "script/interp.h"
#include "windows/system_win.h"

namespace commands {

// Plugs every command of this folder into the interpreter (called at start-up);
// the dialogs and Shutdown act on the system given.
void InstallCommands(script::Interp& in, const windows::SystemInfo& system);

// One installer per file.
void InstallTextFileCommands(script::Interp& in);   // text_files_win.cpp: FileAppend, FileReadLine
void InstallIniCommands(script::Interp& in);        // ini_win.cpp: IniRead, IniWrite, IniDelete
void InstallRegistryCommands(script::Interp& in);   // registry_win.cpp: RegRead, RegWrite, RegDelete
void InstallProgramCommands(script::Interp& in, const windows::SystemInfo& system);  // programs_win.cpp: Run, RunWait, Shutdown
void InstallDialogCommands(script::Interp& in, const windows::SystemInfo& system);   // dialogs_win.cpp: InputBox
void InstallSplashCommands(script::Interp& in);     // splash_win.cpp: SplashTextOn, SplashTextOff

// Whether the script's text is UTF-8 (then it crosses to Windows through the
// W functions) or ANSI: the flag of the interpreter given to InstallCommands.
bool Utf8Script();

// The services' message box (script::Services::message_box), owned by the
// host window and brought to the front over the foreground window.
int ShowMessageBox(void* context, const char* title, const char* text, unsigned int flags);

}  // namespace commands

#endif
