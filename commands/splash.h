// The splash text window's paint routine and the splash commands.
#ifndef KESTRO_COMMANDS_SPLASH_H
#define KESTRO_COMMANDS_SPLASH_H

#include <windows.h>

namespace commands {

// Window procedure of the "Kestro - Splash" class: paints the splash text.
LRESULT CALLBACK SplashWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

}  // namespace commands

#endif
