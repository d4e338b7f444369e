// The arithmetic of the run-timer tick: what runs in a tick and how long the
// host waits before the next one.
#include "script/interp.h"

namespace script {

namespace {

// The step delay every tick starts from, and the poll period while paused.
const int kTickMs = 20;

}  // namespace

// Each tick starts the step delay at 20 ms; the Adlib walk comes first and,
// when it acted, the tick does nothing else. Otherwise the wait state decides:
// running runs one line, stopping ends the script, a wait calls its poller.
// A negative step delay (a Sleep with a negative amount) means at once.
TickResult RunTick(Interp& in) {
  TickResult result = {false, false, static_cast<unsigned int>(kTickMs)};
  in.step_delay = kTickMs;
  if (in.paused) return result;
  bool acted = in.adlib_enabled && AdlibWalk(in);
  if (!acted) {
    int state = in.wait_state;
    if (state == kRunning) {
      StatementStep(in);
      result.stepped = true;
    } else if (state == kStopping) {
      result.stop = true;
      return result;
    } else if (state > 0 && state < CMD_COUNT && in.pollers[state] != 0) {
      in.pollers[state](in);
    }
  }
  result.delay = in.step_delay > 0 ? static_cast<unsigned int>(in.step_delay) : 0u;
  return result;
}

void OnWaitTimeout(Interp& in) { in.timeout_expired = true; }

}  // namespace script
