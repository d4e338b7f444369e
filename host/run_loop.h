// The two timer ticks of the host window.
#ifndef KESTRO_HOST_RUN_LOOP_H
#define KESTRO_HOST_RUN_LOOP_H

namespace host {

// Runs one script step, a wait's poller or the stop, then re-arms the run timer.
void OnRunTimerTick();

// Marks the armed window wait as timed out.
void OnWaitTimeoutTick();

}  // namespace host

#endif
