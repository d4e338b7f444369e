// The host's side of the run loop: the run-timer tick hands the work to the
// interpreter and plans the timer; the wait timeout tick marks the timeout.
#include <windows.h>

#include "host/host.h"
#include "host/run_loop.h"
#include "windows/wide_text_win.h"
// One tick of the interpreter; in the debugging runner its session decides first.
// (A macro rather than a function, so that kestro.exe's code stays as it was.)
#ifdef KESTRO_DEBUG_CHANNEL
#include "host/debug_win.h"
#define KESTRO_TICK() DebugRunTick()
#else
#define KESTRO_TICK() script::RunTick(g_interp)
#endif

namespace host {

namespace {

// The run timer's schedule, and whether a tick is running now.
script::RunSchedule g_schedule;
bool g_in_tick;

// The system timer resolution the runner asked for, while it holds it.
typedef UINT(WINAPI* TimePeriodFn)(UINT period);
TimePeriodFn g_end_period;
bool g_resolution_asked;

// Window timers come at the system timer's resolution, by default 15.6 ms, so
// a 20 ms timer would tick every 31 ms: the runner asks for 1 ms while it runs
// (winmm's timeBeginPeriod) and gives it back at exit. Windows 11 ignores that
// request from a process whose windows are hidden, as the runner's are, unless
// the process opts out of that power throttling. Both are looked up at run
// time: winmm is loaded only by a script that runs past its first tick, and
// the throttling call exists only on newer systems.
struct PowerThrottlingState {  // PROCESS_POWER_THROTTLING_STATE
  ULONG version;
  ULONG control_mask;
  ULONG state_mask;
};
typedef BOOL(WINAPI* SetProcessInformationFn)(HANDLE process, int information_class,
                                              LPVOID information, DWORD size);
const int kProcessPowerThrottling = 4;                // PROCESS_INFORMATION_CLASS value
const ULONG kPowerThrottlingCurrentVersion = 1;
const ULONG kPowerThrottlingIgnoreTimerResolution = 4;

void RaiseTimerResolution() {
  g_resolution_asked = true;
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  SetProcessInformationFn set_information =
      kernel ? reinterpret_cast<SetProcessInformationFn>(
                   reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessInformation")))
             : NULL;
  if (set_information != NULL) {
    // Control bit set, state bit clear: the timer resolution asked for is honoured.
    PowerThrottlingState state = {kPowerThrottlingCurrentVersion,
                                  kPowerThrottlingIgnoreTimerResolution, 0};
    set_information(GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state);
  }
  HMODULE winmm = LoadLibraryA("winmm.dll");
  if (winmm == NULL) return;
  TimePeriodFn begin = reinterpret_cast<TimePeriodFn>(
      reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod")));
  TimePeriodFn end = reinterpret_cast<TimePeriodFn>(
      reinterpret_cast<void*>(GetProcAddress(winmm, "timeEndPeriod")));
  if (begin != NULL && end != NULL && begin(1) == 0) g_end_period = end;  // TIMERR_NOERROR
}

// A millisecond clock finer than GetTickCount, which moves in steps of the
// system timer (15.6 ms by default) whatever resolution was asked for.
unsigned int NowMs() {
  static LONGLONG per_ms = 0;
  LARGE_INTEGER value;
  if (per_ms == 0) {
    per_ms = QueryPerformanceFrequency(&value) && value.QuadPart >= 1000 ? value.QuadPart / 1000
                                                                         : -1;
  }
  if (per_ms < 0 || !QueryPerformanceCounter(&value)) return GetTickCount();
  return static_cast<unsigned int>(value.QuadPart / per_ms);
}

// The stopping state: the tray icon goes, and the message loop ends.
void Stop() {
  RemoveTrayIcon();
  StopRunTimer();
  KillTimer(g_host.window, kWaitTimeoutTimer);
  PostQuitMessage(0);
}

}  // namespace

void StartRunTimer() {
  SetTimer(g_host.window, kRunTimer, 0, NULL);
  script::StartSchedule(g_schedule);
}

void StopRunTimer() {
  KillTimer(g_host.window, kRunTimer);
  script::StopSchedule(g_schedule);
}

void RestoreTimerResolution() {
  if (g_end_period != NULL) g_end_period(1);
  g_end_period = NULL;
}

// A command that runs a message loop of its own (a message box) lets the run
// timer's messages through; such a tick stops the timer, and the tick that
// is running arms it again when it ends. So a command that blocks postpones
// the next tick instead of letting ticks pile up.
void OnRunTimerTick() {
  if (g_in_tick) {
    StopRunTimer();
    return;
  }
  g_in_tick = true;
  unsigned int started = NowMs();
  RetryTrayIcon();
  script::TickResult result = KESTRO_TICK();
  if (result.stepped) {
    windows::SetText(g_host.status_edit, g_interp.status, g_interp.sections.utf8);
  }
  // The tick after the end of the script is due at once: it runs now rather
  // than through the timer, which would make it wait the timer's minimum.
  if (!result.stop && result.delay == 0 && g_interp.wait_state == script::kStopping)
    result = KESTRO_TICK();
  g_in_tick = false;
  if (result.stop) {
    Stop();
    return;
  }
  script::TimerPlan plan = script::PlanNextTick(g_schedule, started, NowMs(), result);
  if (plan.arm) SetTimer(g_host.window, kRunTimer, plan.ms, NULL);
  if (!g_resolution_asked && g_interp.wait_state != script::kStopping) RaiseTimerResolution();
}

void OnWaitTimeoutTick() {
  KillTimer(g_host.window, kWaitTimeoutTimer);
  script::OnWaitTimeout(g_interp);
}

}  // namespace host
