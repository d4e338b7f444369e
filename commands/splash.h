// The splash text window: its paint routine and the SplashTextOn and
// SplashTextOff commands.
#ifndef KESTRO_COMMANDS_SPLASH_H
#define KESTRO_COMMANDS_SPLASH_H

#include <windows.h>

namespace commands {

// Window procedure of the "Kestro - Splash" class: paints the splash text.
LRESULT CALLBACK SplashWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

// Plugs SplashTextOn and SplashTextOff into the command table.
void InstallSplashCommands();

}  // namespace commands

#endif
