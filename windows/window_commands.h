// Shared pieces of the window commands: the matched window of a line, the
// foreground wait and the installers of each command file.
#ifndef KESTRO_WINDOWS_WINDOW_COMMANDS_H
#define KESTRO_WINDOWS_WINDOW_COMMANDS_H

#include <windows.h>

#include "script/interp.h"
#include "windows/system_win.h"

namespace windows {

// Longest time WinActivate waits for its window to become the foreground window.
const DWORD kForegroundWaitMs = 2000;

// Stores the line's title and text (its first two fields) as the current
// window pattern and returns the first window that matches it, or NULL.
HWND StorePatternAndFind(script::Interp& in, script::Fields& f);

// Holds the thread until the window is the foreground window; gives up when
// the window is destroyed or after kForegroundWaitMs. True when it came forward.
bool WaitForForeground(HWND window);

// Installers of the command files.
void InstallActionCommands(script::Interp& in, const SystemInfo& system);  // actions_win.cpp: WinActivate, show, close, kill
void InstallEditCommands(script::Interp& in);  // edit_win.cpp: WinMove, WinSetTitle, WinMinimizeAll, WinGetActiveTitle

}  // namespace windows

#endif
