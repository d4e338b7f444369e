// Closing a window the way a session end does, with termination of its
// process as the fallback for a window that does not answer.
#include <windows.h>

#include "windows/match.h"

namespace windows {

namespace {

const UINT kSessionSendTimeoutMs = 2000;
const DWORD kAllProcessAccess = 0x1F0FFF;  // PROCESS_ALL_ACCESS as older systems define it

}  // namespace

void CloseOrKillWindow(HWND window) {
  DWORD_PTR answer = 0;
  // Any answer counts, a refusal too: the window is alive and has been told.
  if (SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                          kSessionSendTimeoutMs, &answer)) {
    SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                        kSessionSendTimeoutMs, &answer);
    return;
  }
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  if (process_id == 0) return;  // the window has gone meanwhile
  HANDLE process = OpenProcess(kAllProcessAccess, FALSE, process_id);
  if (process == NULL) return;
  TerminateProcess(process, 0);
  CloseHandle(process);
}

}  // namespace windows
