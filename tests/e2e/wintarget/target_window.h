// One test window on a thread of its own, and the log its windows share.
#ifndef KESTRO_TESTS_E2E_WINTARGET_TARGET_WINDOW_H
#define KESTRO_TESTS_E2E_WINTARGET_TARGET_WINDOW_H

#include <windows.h>

#include "options.h"

namespace wintarget {

// Opens the log (appending) that every window writes its lines to.
void OpenLog(const char* path);

// Registers the window classes the requests name.
bool RegisterClasses(const Options& options);

// Thread procedure: waits the requested delay, opens the window and serves it
// until it is destroyed (or hangs for good when it is asked to).
DWORD WINAPI RunWindow(void* req);

}  // namespace wintarget

#endif
