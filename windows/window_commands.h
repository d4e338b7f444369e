// Shared pieces of the window commands: the window delay, the foreground wait
// and the installers of each command file.
#ifndef KESTRO_WINDOWS_WINDOW_COMMANDS_H
#define KESTRO_WINDOWS_WINDOW_COMMANDS_H

#include <windows.h>

#include "script/interp.h"

namespace windows {

// Longest time WinActivate waits for its window to become the foreground window.
const DWORD kForegroundWaitMs = 2000;

// Stores a title and text as the interpreter's current window pattern and
// looks for the window; true when one matched (*found is then that window).
bool FindPattern(script::Interp& in, const char* title, const char* text, HWND* found);

// Adds the window delay to the step delay.
void AddWindowDelay(script::Interp& in);

// Holds the thread until the window is the foreground window; gives up when
// the window is destroyed or after kForegroundWaitMs. True when it came forward.
bool WaitForForeground(HWND window);

// Installers of the command files.
void InstallWaitCommands(script::Interp& in);    // waits_win.cpp: the four waits and their pollers
void InstallConditions(script::Interp& in);      // conditions_win.cpp: IfWinExist ... IfWinNotActive
void InstallActionCommands(script::Interp& in);  // actions_win.cpp: WinActivate, show, close, kill
void InstallEditCommands(script::Interp& in);    // edit_win.cpp: WinMove, WinSetTitle, WinMinimizeAll, WinGetActiveTitle

}  // namespace windows

#endif
