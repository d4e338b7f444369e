// The debugging runner's session with a front end: the breakpoint table, the
// decision to stop before a tick, stepping over, into and out of Gosub.
#ifndef KESTRO_SCRIPT_DEBUG_SESSION_H
#define KESTRO_SCRIPT_DEBUG_SESSION_H

#include <string>
#include <vector>

#include "script/interp.h"

namespace script {

// The two sections a breakpoint can stand in.
enum DebugSection { kDebugMain = 0, kDebugAdlib = 1 };

// One line breakpoint, already moved to a line that runs.
struct Breakpoint {
  int section;                // DebugSection
  int line;                   // number of a stored line of that section
  std::string condition;      // "%COUNT% = 3": stops only when it holds; empty: always
  std::string hit_condition;  // "3", ">= 3", "% 2": stops only on those hits; empty: every hit
  std::string log_message;    // not empty: a logpoint, printed (expanded) instead of stopping
  int hits;                   // times it was reached with its condition holding
};

// What the running script is waiting on, kept for the stack's first frame and
// the "Waiting for" scope.
struct WaitRecord {
  int line;               // number of the main-section line that entered the wait
  std::string command;    // that line, expanded as it ran
  unsigned int since;     // clock reading when the wait began
};

// A top-level window as the debug channel describes it.
struct WindowFact {
  std::string title;         // as the matcher reads it
  std::string window_class;  // the window's class name
  std::string process;       // the file name of the program that owns it
  bool visible;
  WindowHandle handle;
};

// What the debug channel asks of the platform.
struct DebugHost {
  void* context;  // handed back to every function below
  // A millisecond clock that may wrap around.
  unsigned int (*now_ms)(void* context);
  // Sends one message (a JSON object, no line end) to the front end.
  void (*send)(void* context, const std::string& message);
  // The top-level windows, in the system's window order.
  void (*list_windows)(void* context, std::vector<WindowFact>* out);
  // The facts of one window.
  void (*describe_window)(void* context, WindowHandle window, WindowFact* out);
};

// How a resumed script is to stop again.
enum StepMode { kStepNone, kStepOver, kStepIn, kStepOut };

struct DebugSession {
  const DebugHost* host;
  bool attached;      // a front end is connected: without one, ticks run as ever
  bool started;       // the front end has sent its breakpoints and said "run"
  bool stopped;       // held at a stop: ticks run nothing until a resume
  bool in_tick;       // a tick is running (a box's own message loop answers requests)
  std::vector<Breakpoint> breakpoints;

  StepMode step;              // set by the resume that ended the last stop
  int step_depth;             // Gosub depth at that stop
  bool line_done;             // a main-section line ran since the resume
  const ScriptLine* skip;     // the line stopped at: it runs once before it can stop again

  // Where the last stop stands: the section and line shown as the top frame.
  int stop_section;
  int stop_line;
  std::string stop_reason;

  bool exception_pending;     // a script error was reported and is not yet shown
  std::string exception;      // its message
  int exception_line;

  bool waiting;               // the main section entered a wait (WinWait..., RunWait)
  WaitRecord wait;
  bool in_box;                // a message box is open
  WaitRecord box;
};

// A session with no front end and no breakpoints.
void InitDebugSession(DebugSession& d, const DebugHost* host);

// One run-timer tick of the debugging runner. Without a front end it is
// RunTick. With one, it decides before the tick whether the script stops at
// the line about to run (a breakpoint, the end of a step), holds the script
// while stopped (every tick then only waits 20 ms, so the message loop keeps
// serving the tray and the socket), and reports a script error as a stop.
TickResult DebugTick(Interp& in, DebugSession& d);

// Replaces a section's breakpoints. Each requested line moves to the first
// stored line at or after it that runs (comments, blank lines and labels do
// not); its `line` becomes that line's number, or 0 when none follows (such a
// breakpoint is not kept).
void SetBreakpoints(DebugSession& d, const Interp& in, int section,
                    std::vector<Breakpoint>& requested);

// The stops the front end asks for.
void StartSession(Interp& in, DebugSession& d, bool stop_on_entry);
void Resume(Interp& in, DebugSession& d, StepMode step);
void PauseNow(Interp& in, DebugSession& d);

// A script error, which the debugging runner shows as a stop instead of a box.
void NoteError(DebugSession& d, int line_number, const char* message);

// A message box opened or closed (the runner is inside a tick meanwhile).
void NoteBox(DebugSession& d, const Interp& in, bool open);

// How many Gosub calls have not returned yet.
int GosubDepth(const Interp& in);

// True when the condition, in the script's own terms, holds: its %NAME%
// references expanded as the runner expands a line, then two sides compared
// by the first of "!=", "<>", ">=", "<=", "==", "=", ">" and "<" (= and !=
// compare text without regard to letter case, the others integer values, as
// IfEqual and IfGreater do). A condition with no comparison holds when its
// expansion is neither empty nor "0". False, with *error set, on a bad reference.
bool ConditionHolds(const Interp& in, const std::string& condition, std::string* error);

// True when the hit count meets the hit condition: "N" or ">= N" from the
// Nth hit on, "= N" or "== N" on the Nth only, "> N", "< N", "<= N", and
// "% N" every Nth hit. An empty or unreadable condition always holds.
bool HitConditionHolds(const std::string& hit_condition, int hits);

// The expansion of a text with %NAME% references, as the runner expands a
// line; false with *error set when a reference is not closed.
bool ExpandText(const Interp& in, const std::string& text, std::string* out, std::string* error);

}  // namespace script

#endif
