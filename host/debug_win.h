// The debugging runner's channel to a front end: a socket to 127.0.0.1 on the
// port given by "/debug:PORT", read and written on the host window's thread.
#ifndef KESTRO_HOST_DEBUG_WIN_H
#define KESTRO_HOST_DEBUG_WIN_H

#include <windows.h>

#include "script/interp.h"

namespace host {

// The message the socket's events arrive with at the host window.
const UINT kDebugSocketMessage = WM_APP + 27;

// The run-timer tick of the debugging runner: the first one connects when a
// port was given; then the session decides whether the tick runs or holds.
script::TickResult DebugRunTick();

// Reads the front end's requests and answers them; a closed socket ends the runner.
void OnDebugSocket(LPARAM event);

}  // namespace host

#endif
