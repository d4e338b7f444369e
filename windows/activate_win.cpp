// Bringing a window to the foreground, and the bounded wait until it is there.
#include <windows.h>

#include "windows/window_commands.h"
#include "windows/match.h"

namespace windows {

namespace {

// How long a window's program may take to answer the ping. Long enough for a
// program that is only busy for a moment (starting, loading a file) to count
// as answering; a program the system already knows to be hung is not waited
// for at all (SMTO_ABORTIFHUNG).
const UINT kAnswerTimeoutMs = 1000;

// Attaches (or detaches) the first thread's input to the second's; a failure,
// such as a thread attached to itself, is ignored; 0 stands for no thread.
void Attach(DWORD from, DWORD to, BOOL attach) {
  if (from != 0 && to != 0) AttachThreadInput(from, to, attach);
}

}  // namespace

bool IsResponsive(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                             &result) != 0;
}

void ActivateWindow(HWND window, const SystemInfo& system, bool responsive) {
  HWND foreground = GetForegroundWindow();
  if (foreground == window) return;
  // A program that answers sees its window minimised before it is brought
  // forward; one that does not is only asked to, so the runner never waits on it.
  DWORD my_thread = GetCurrentThreadId();
  DWORD target_thread = GetWindowThreadProcessId(window, NULL);
  // Sharing input state with the foreground thread lets SetForegroundWindow
  // pass the system's foreground lock. A thread that does not answer is left
  // out: with its input attached, every change of activation would wait on it.
  DWORD fore_thread = 0;
  if (foreground != NULL && IsResponsive(foreground)) {
    fore_thread = GetWindowThreadProcessId(foreground, NULL);
  }
  if (!responsive) target_thread = 0;
  Attach(my_thread, target_thread, TRUE);
  Attach(my_thread, fore_thread, TRUE);
  Attach(fore_thread, target_thread, TRUE);
  if (system.platform == VER_PLATFORM_WIN32_NT && system.major > 4) {
    // Windows 2000 and later refuse the foreground to a window that is simply
    // asked for it; a window coming back from the taskbar is let through.
    if (responsive) ShowWindow(window, SW_MINIMIZE);
    else ShowWindowAsync(window, SW_MINIMIZE);
    SetForegroundWindow(window);
    if (responsive) ShowWindow(window, SW_RESTORE);
    else ShowWindowAsync(window, SW_RESTORE);
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
