// The two timer ticks of the host window, and the run timer's start and stop.
#ifndef KESTRO_HOST_RUN_LOOP_H
#define KESTRO_HOST_RUN_LOOP_H

namespace host {

// Runs one script step, a wait's poller or the stop, then plans the run timer.
void OnRunTimerTick();

// Marks the armed window wait as timed out.
void OnWaitTimeoutTick();

// Starts the run timer for a first tick at once, or stops it.
void StartRunTimer();
void StopRunTimer();

// Gives back the system timer resolution the run loop asked for, if it did.
void RestoreTimerResolution();

}  // namespace host

#endif
