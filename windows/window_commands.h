// Shared pieces of the window commands: parameter reading, the window delay,
// the foreground wait and the installers of each command file.
#ifndef KESTRO_WINDOWS_WINDOW_COMMANDS_H
#define KESTRO_WINDOWS_WINDOW_COMMANDS_H

#include <windows.h>

namespace win {

// Longest time WinActivate waits for its window to become the foreground window.
const DWORD kForegroundWaitMs = 2000;

// Reads the title up to a comma into the match title and the whole rest of
// the line, commas included, into the match text (empty when the line ended).
void ReadWindowParameters(char* line, int* cursor);

// Adds the window delay to the step delay.
void AddWindowDelay();

// Holds the thread until the window is the foreground window; gives up when
// the window is destroyed or after kForegroundWaitMs. True when it came forward.
bool WaitForForeground(HWND window);

// Installers of the command files.
void InstallWaitCommands();     // windows/waits_win.cpp: the four waits and their pollers
void InstallConditions();       // windows/conditions_win.cpp: IfWinExist ... IfWinNotActive
void InstallActionCommands();   // windows/actions_win.cpp: WinActivate, show, close, kill
void InstallEditCommands();     // windows/edit_win.cpp: WinMove, WinSetTitle, WinMinimizeAll, WinGetActiveTitle

}  // namespace win

#endif
