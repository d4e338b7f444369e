// The spy's live window: follows the mouse pointer and shows what the
// matcher and the mouse commands see there.
#ifndef KESTRO_AUTHORING_SPY_WINDOW_WIN_H
#define KESTRO_AUTHORING_SPY_WINDOW_WIN_H

#include <windows.h>

#include "authoring/spy_args.h"

namespace authoring {

// Opens the window and runs its message loop until it is closed; returns the
// program's exit code.
int RunSpyWindow(HINSTANCE instance, const SpyArgs& args);

}  // namespace authoring

#endif
