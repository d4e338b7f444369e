// What the Win32 command files need to know of the system and of the runner's
// window. The host owns the one instance and hands it to the installers.
#ifndef KESTRO_WINDOWS_SYSTEM_WIN_H
#define KESTRO_WINDOWS_SYSTEM_WIN_H

#include <windows.h>

namespace windows {

struct SystemInfo {
  DWORD platform;    // VER_PLATFORM_WIN32_NT (2) or VER_PLATFORM_WIN32_WINDOWS (1)
  DWORD major;       // major version number
  HWND host_window;  // the runner's window, owner of its boxes, once it exists
};

}  // namespace windows

#endif
