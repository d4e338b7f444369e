// The host's side of the run loop: the run-timer tick hands the work to the
// interpreter and re-arms the timer; the wait timeout tick marks the timeout.
#include <windows.h>

#include "host/host.h"
#include "host/run_loop.h"

namespace host {

namespace {

// The stopping state: the tray icon goes, and the message loop ends.
void Stop() {
  RemoveTrayIcon();
  KillTimer(g_host.window, kWaitTimeoutTimer);
  PostQuitMessage(0);
}

}  // namespace

// The run timer is stopped while the tick works, so a command that blocks (a
// message box) postpones the next tick instead of letting ticks pile up.
void OnRunTimerTick() {
  KillTimer(g_host.window, kRunTimer);
  RetryTrayIcon();
  script::TickResult result = script::RunTick(g_interp);
  if (result.stop) {
    Stop();
    return;
  }
  if (result.stepped) SetWindowTextA(g_host.status_edit, g_interp.status);
  SetTimer(g_host.window, kRunTimer, result.delay, NULL);
}

void OnWaitTimeoutTick() {
  KillTimer(g_host.window, kWaitTimeoutTimer);
  script::OnWaitTimeout(g_interp);
}

}  // namespace host
