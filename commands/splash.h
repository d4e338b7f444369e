// The splash text window, which the host creates with its own window.
#ifndef KESTRO_COMMANDS_SPLASH_H
#define KESTRO_COMMANDS_SPLASH_H

#include <windows.h>

namespace commands {

// Registers the "Kestro - Splash" window class, whose procedure paints the
// splash text: a Unicode class for a UTF-8 script, so it is registered once
// the script is loaded.
ATOM RegisterSplashClass(HINSTANCE instance, HICON icon);

// Names the splash window's owner (the host window); the window itself is
// made, hidden, by the first SplashTextOn.
void SetSplashOwner(HWND owner, HINSTANCE instance);

}  // namespace commands

#endif
