// Bringing a window to the foreground, and the bounded wait until it is there.
#include <windows.h>

#include "windows/window_commands.h"
#include "windows/match.h"

namespace windows {

namespace {

// Attaches (or detaches) the first thread's input to the second's; a failure,
// such as a thread attached to itself or no foreground thread, is ignored.
void Attach(DWORD from, DWORD to, BOOL attach) { AttachThreadInput(from, to, attach); }

}  // namespace

void ActivateWindow(HWND window, const script::Services& sys) {
  HWND foreground = GetForegroundWindow();
  if (foreground == window) return;
  DWORD fore_thread = GetWindowThreadProcessId(foreground, NULL);
  DWORD my_thread = GetCurrentThreadId();
  DWORD target_thread = GetWindowThreadProcessId(window, NULL);
  // Sharing input state with the foreground thread lets SetForegroundWindow
  // pass the system's foreground lock.
  Attach(my_thread, target_thread, TRUE);
  Attach(my_thread, fore_thread, TRUE);
  Attach(fore_thread, target_thread, TRUE);
  if (sys.os_platform == script::kPlatformNt && sys.os_major > 4) {
    // Windows 2000 and later refuse the foreground to a window that is simply
    // asked for it; a window coming back from the taskbar is let through.
    ShowWindow(window, SW_MINIMIZE);
    SetForegroundWindow(window);
    ShowWindow(window, SW_RESTORE);
  } else {
    SetForegroundWindow(window);
  }
  Attach(my_thread, target_thread, FALSE);
  Attach(my_thread, fore_thread, FALSE);
  Attach(fore_thread, target_thread, FALSE);
}

bool WaitForForeground(HWND window) {
  DWORD start = GetTickCount();
  while (GetForegroundWindow() != window) {
    if (!IsWindow(window)) return false;
    if (GetTickCount() - start >= kForegroundWaitMs) return false;  // unsigned: safe across wrap-around
    Sleep(10);
  }
  return true;
}

}  // namespace windows
