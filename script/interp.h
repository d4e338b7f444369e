// The interpreter object: everything the core keeps between ticks, and the
// operations every command uses (errors, ERRORLEVEL, the step delay, the wait state).
#ifndef KESTRO_SCRIPT_INTERP_H
#define KESTRO_SCRIPT_INTERP_H

#include "script/commands.h"
#include "script/limits.h"
#include "script/loader.h"
#include "script/services.h"

namespace script {

// The run loop's modes; a waiting state is the index of the command that enters it.
enum WaitState {
  kRunning = 0,
  kWaitWin = CMD_WINWAIT,
  kWaitWinActive = CMD_WINWAITACTIVE,
  kWaitWinClose = CMD_WINWAITCLOSE,
  kStopping = CMD_QUIT,  // set by Exit, errors, the end of the script and Shutdown
  kWaitRun = CMD_RUNWAIT,
  kWaitWinNotActive = CMD_WINWAITNOTACTIVE
};

// The numbers scripts and logs have always seen for the wait states.
static_assert(kWaitWin == 1 && kWaitWinActive == 2 && kWaitWinClose == 3, "window wait states");
static_assert(kStopping == 4 && kWaitRun == 6 && kWaitWinNotActive == 43, "stop and run states");
static_assert(CMD_EXESCRIPT == 0 && CMD_COUNT == 73, "the table holds 73 commands");

// A poller runs once per tick while its wait state is current.
typedef void (*WaitPoller)(Interp& in);

// The title and text a window command looks for.
struct WindowPattern {
  char title[kBufSize];  // empty matches every title
  char text[kBufSize];   // empty means no text test
};

struct GosubEntry {
  GosubEntry* next;  // entry below
  ScriptLine* ret;   // line to resume at, or null
};

struct RepeatEntry {
  RepeatEntry* next;  // entry below
  ScriptLine* start;  // first line of the loop body, or null
  int remaining;      // rounds left; 0 repeats without end
};

// The Adlib walk's own state.
struct AdlibState {
  char line[kBufSize];    // working copy of the Adlib line being examined
  WindowPattern pattern;  // the title and text of that line
  WindowPattern saved;    // the main section's pattern, put back after the walk
  bool failed;            // an Adlib line failed: the walk never runs again
};

struct Interp {
  const Services* sys;            // the platform, filled in by the host or a test

  // The script and where it stands.
  Sections sections;              // main and Adlib lists, fixed after loading
  ScriptLine* pc;                 // next main-section line to run, or null
  int line_number;                // number of the line being executed (shown in errors)
  char line[kBufSize];            // working copy of the current line
  char status[kStatusMax + 1];    // status text of the last executed line
  char label[kBufSize];           // label searched by Goto/Gosub, with ":" appended
  GosubEntry* gosub;              // gosub stack, top first
  RepeatEntry* repeat;            // repeat stack, top first

  // The run loop.
  int wait_state;                 // WaitState value the tick acts on
  int step_delay;                 // ms until the next tick; reset to 20 by each tick
  bool paused;                    // set and cleared by the user through the menus
  bool halted;                    // an error was reported: the state stays stopping for good
  const char* failure;            // message of the handler that failed last
  bool timeout_armed;             // a window wait armed the wait timeout timer
  bool timeout_expired;           // that timer has fired
  bool errorlevel_known;          // ERRORLEVEL still holds `errorlevel`, as SetErrorLevel
  int errorlevel;                 // set it: no line or Adlib action has run since

  // Settings changed by script commands.
  int key_delay;                  // ms after every key or mouse event (20)
  int title_match_mode;           // 1 starts-with, 2 contains (1)
  int detect_hidden_text;         // 1 lets hidden windows and controls match (0)
  int detect_accessible_text;     // 1 lets the text test read accessible elements too (0)
  int break_enabled;              // 1 lets the user pause, resume and exit (1)
  int win_delay;                  // ms added after window commands (500)
  int adlib_enabled;              // 1 runs the Adlib walk on every tick (1)

  WindowPattern match;            // pattern of the current window command or wait
  AdlibState adlib;
  ProcessHandle run_wait_process; // the program RunWait waits for, until its poller sees it end
  int msgbox_button;              // BoxButton that closed the last message box (kBoxNone: none yet)

  CommandHandler handlers[CMD_COUNT];  // null: recognised and does nothing
  WaitPoller pollers[CMD_COUNT];       // by wait state

  // Test seam: how many more gosub or repeat entries may be allocated before
  // an allocation fails as if memory had run out; -1 never fails.
  int stack_alloc_budget;

  // Records the message of a failing handler and returns false, so that a
  // handler ends with `return in.Fail("...")`.
  bool Fail(const char* message) {
    failure = message;
    return false;
  }
};

// The banner: title of the host window and head of the status text.
extern const char kBanner[];

// Puts every field to its start value (no script, defaults set, no handlers)
// and attaches the services.
void InitInterp(Interp& in, const Services* sys);

// Frees both stacks, then the main and Adlib sections, and lets go of a
// process RunWait was waiting for.
void FreeInterp(Interp& in);

// Plugs a handler into the table by index, or a poller in by wait state.
void SetHandler(Interp& in, int index, CommandHandler handler);
void SetPoller(Interp& in, int wait_state, WaitPoller poller);

// Installs the commands the core implements itself: flow, settings,
// variables and their conditions, the window and path conditions, the window
// waits, the RunWait poller, MsgBox and IfMsgBox.
void InstallCoreCommands(Interp& in);

// Sets the wait state, unless an error has stopped the script: after that,
// no command, poller or Adlib line can leave the stopping state.
void SetWaitState(Interp& in, int state);

// Adds milliseconds to the step delay; the sum saturates at the int range,
// so a huge Sleep waits as long as a timer can instead of wrapping around.
void AddStepDelay(Interp& in, int ms);

// Shows the error box for the current line and stops the script for good.
void ReportError(Interp& in, const char* message);

// Stores a title and text as the current window pattern (in.match), then
// returns the first window that matches it, or 0.
WindowHandle StorePatternAndFind(Interp& in, const char* title, const char* text);

// Adds the window delay to the step delay.
void AddWindowDelay(Interp& in);

// Waits for a started program in the RunWait state: its poller sets ERRORLEVEL
// to the exit code once the program has ended. A RunWait started by an Adlib
// line while another waits replaces the one before.
void BeginRunWait(Interp& in, ProcessHandle process);

// Sets the environment variable ERRORLEVEL to the value in signed decimal.
// A poller that sets the same value on every tick of a wait writes it once.
void SetErrorLevel(Interp& in, int value);

// Runs the line at the program counter (or enters the stopping state when
// there is none), rebuilds the status text and reports a failure.
void StatementStep(Interp& in);

// The Adlib walk: runs the command of the first Adlib line whose window
// exists; true when one ran.
bool AdlibWalk(Interp& in);

// What the walk finds on one Adlib line: the line expanded into `text` (kBufSize
// bytes), its window pattern, and the cursor after the text's comma, where the
// command starts. The walk and the debugger's look-ahead both read lines so.
enum AdlibLineFind { kAdlibBadReference, kAdlibBadCommas, kAdlibNoWindow, kAdlibWindowExists };
AdlibLineFind ReadAdlibLine(const Interp& in, const ScriptLine* line, char* text,
                            WindowPattern* pattern, int* cursor);

// What the host does after a run-timer tick.
struct TickResult {
  bool stop;     // the script has ended: stop the message loop
  bool stepped;  // a line ran: show the status text
  unsigned int delay;  // re-arm the run timer with this many ms
  bool acted;    // an Adlib line acted: its delay counts from the end of its work
};

// One run-timer tick: the Adlib walk, then one line or the current wait's poller.
TickResult RunTick(Interp& in);

// The run timer's schedule, kept by the host between ticks. Times are readings
// of a millisecond clock that may wrap around.
struct RunSchedule {
  bool armed;           // the run timer is running
  unsigned int period;  // and fires every this many ms
  bool on_deadline;     // it was armed to fire at `due`
  unsigned int due;     // when the tick it fires next is due
};

// What the host does with the run timer at the end of a tick.
struct TimerPlan {
  bool arm;         // (re)arm the run timer: SetTimer replaces a running one
  unsigned int ms;  // with this period
};

// The timer was armed to tick as soon as it can, before the first tick.
void StartSchedule(RunSchedule& s);

// The timer was stopped (a tick was delivered while another one was running).
void StopSchedule(RunSchedule& s);

// Plans the run timer after a tick that began at `started` and ended at `now`.
// After a line, the fixed 20 ms step is due 20 ms after this tick was due, so
// the time a line takes and the timer's lateness do not add up, or 20 ms after
// the line's end when the line took longer (a box, a long Send); whatever the
// line added to the step delay (Sleep, the window delay) is counted from the
// end of its work. After any other tick (a poll, a pause, an Adlib action) the
// whole delay counts from the end of the tick. Only a tick that did no work of
// its own (a poll, a pause) leaves the timer running when its period is the
// delay: a running timer fires one period after it last fired, which would
// take an Adlib action's working time off its own delay.
TimerPlan PlanNextTick(RunSchedule& s, unsigned int started, unsigned int now,
                       const TickResult& tick);

// The wait timeout timer has fired.
void OnWaitTimeout(Interp& in);

}  // namespace script

#endif
