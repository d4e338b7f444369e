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
  TickResult result = {false, false, static_cast<unsigned int>(kTickMs), false};
  in.step_delay = kTickMs;
  if (in.paused) return result;
  bool acted = in.adlib_enabled && AdlibWalk(in);
  result.acted = acted;
  if (acted) in.errorlevel_known = false;  // the Adlib line may have set it
  if (!acted) {
    int state = in.wait_state;
    if (state == kRunning) {
      // Finding the end of the script runs no line, so the stop that follows
      // waits for no step delay.
      bool at_end = in.pc == 0;
      StatementStep(in);
      in.errorlevel_known = false;  // the line may have set it
      result.stepped = true;
      if (at_end) in.step_delay = 0;
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

void StartSchedule(RunSchedule& s) {
  s.armed = true;
  s.period = 0;
  s.on_deadline = false;
  s.due = 0;
}

void StopSchedule(RunSchedule& s) {
  s.armed = false;
  s.on_deadline = false;
}

namespace {

// True when clock reading a comes after b, across the clock's wrap-around.
bool After(unsigned int a, unsigned int b) { return static_cast<int>(a - b) > 0; }

}  // namespace

TimerPlan PlanNextTick(RunSchedule& s, unsigned int started, unsigned int now,
                       const TickResult& tick) {
  TimerPlan plan = {false, 0u};
  if (!tick.stepped) {
    // A waiting or paused tick: a timer that already ticks at this pace is
    // left alone, so a long wait costs no timer calls. An Adlib action is
    // armed afresh, so its delay counts from the end of its work even when
    // the action before it had the same delay.
    s.on_deadline = false;
    if (!tick.acted && s.armed && s.period == tick.delay) return plan;
    plan.arm = true;
    plan.ms = tick.delay;
  } else {
    // Only the fixed step between lines is paced by deadline: it is due the
    // fixed step after this tick was due (the deadline it was armed for, or,
    // when the timer just ran at its pace, the moment the tick began), or the
    // fixed step after the line ended when the line took longer than that.
    // Whatever the line added on top (Sleep, the window delay) counts from the
    // end of its work, so a slow window command still leaves the whole window
    // delay for its window to settle.
    unsigned int step = tick.delay < static_cast<unsigned int>(kTickMs) ? tick.delay
                                                                         : static_cast<unsigned int>(kTickMs);
    unsigned int extra = tick.delay - step;
    unsigned int due = s.on_deadline ? s.due : started;
    unsigned int next = due + step;
    if (!After(next, now)) next = now + step;  // the line overran the fixed step
    next += extra;
    plan.arm = true;
    plan.ms = next - now;
    if (plan.ms > tick.delay) {  // the tick came before its time by this clock
      plan.ms = tick.delay;
      next = now + tick.delay;
    }
    s.on_deadline = true;
    s.due = next;
  }
  s.armed = true;
  s.period = plan.ms;
  return plan;
}

}  // namespace script
