// The run loop: the run-timer tick that runs one script line or polls the
// current wait, and the wait timeout tick.
#include <windows.h>

#include "host/host.h"
#include "host/run_loop.h"
#include "script/engine.h"

namespace host {

namespace {

// Pollers by wait state; the states are small numbers (at most 43).
const int kMaxWaitState = 64;
WaitPoller g_pollers[kMaxWaitState];
AdlibWalker g_adlib_walker;

// Re-arms the run timer. A negative step delay (a Sleep with a negative
// amount) would become a period of weeks as an unsigned value: run at once.
void ArmRunTimer(int delay) {
  if (delay < 0) delay = 0;
  SetTimer(g_host.window, kRunTimer, static_cast<UINT>(delay), NULL);
}

// The stopping state: the tray icon goes, and the message loop ends.
void Stop() {
  RemoveTrayIcon();
  KillTimer(g_host.window, kWaitTimeoutTimer);
  PostQuitMessage(0);
}

}  // namespace

void SetWaitPoller(int wait_state, WaitPoller poller) {
  if (wait_state >= 0 && wait_state < kMaxWaitState) g_pollers[wait_state] = poller;
}

void SetAdlibWalker(AdlibWalker walker) { g_adlib_walker = walker; }

void OnRunTimerTick() {
  script::Engine& e = script::g_engine;
  KillTimer(g_host.window, kRunTimer);
  e.step_delay = 20;
  if (g_host.paused) {
    ArmRunTimer(20);
    return;
  }
  bool adlib_acted = e.adlib_enabled && g_adlib_walker && g_adlib_walker();
  if (!adlib_acted) {
    int state = e.wait_state;
    if (state == script::kRunning) {
      script::StatementStep();
      SetWindowTextA(g_host.status_edit, e.status);
    } else if (state == script::kStopping) {
      Stop();
      return;
    } else if (state > 0 && state < kMaxWaitState && g_pollers[state]) {
      g_pollers[state]();
    }
  }
  ArmRunTimer(e.step_delay);
}

void OnWaitTimeoutTick() {
  KillTimer(g_host.window, kWaitTimeoutTimer);
  g_host.timeout_expired = true;
}

}  // namespace host
