// Process-wide state of the interpreter: line lists, program counter, stacks,
// settings, the wait state and step delay, and the statement step.
#ifndef KESTRO_SCRIPT_ENGINE_H
#define KESTRO_SCRIPT_ENGINE_H

#include "script/limits.h"
#include "script/loader.h"

namespace script {

// The run loop's modes; a waiting state carries the index of the command that enters it.
enum WaitState {
  kRunning = 0,
  kWaitWin = 1,           // WinWait
  kWaitWinActive = 2,     // WinWaitActive
  kWaitWinClose = 3,      // WinWaitClose
  kStopping = 4,          // index of QUIT; set by Exit, errors and the end of the script
  kWaitRun = 6,           // RunWait
  kWaitWinNotActive = 43  // WinWaitNotActive
};

struct GosubEntry {
  GosubEntry* next;   // entry below
  ScriptLine* ret;    // line to resume at, or null
};

struct RepeatEntry {
  RepeatEntry* next;  // entry below
  ScriptLine* start;  // first line of the loop body, or null
  int remaining;      // rounds left; 0 repeats without end
};

// Everything the interpreter core keeps between ticks. One instance, g_engine.
struct Engine {
  Sections sections;              // main and Adlib lists, fixed after loading
  ScriptLine* pc;                 // next main-section line to run, or null
  int line_number;                // number of the line being executed (shown in errors)
  char line[kBufSize];            // working copy of the current line
  char param[kBufSize];           // field buffer the dispatcher and handlers read into
  char status[kStatusMax + 1];    // status text of the last executed line
  char label[kBufSize];           // label searched by Goto/Gosub, with ":" appended
  GosubEntry* gosub;              // gosub stack, top first
  RepeatEntry* repeat;            // repeat stack, top first
  int wait_state;                 // WaitState value the tick acts on
  int step_delay;                 // ms until the next tick; reset to 20 by each tick
  int errors_reported;            // script errors reported so far
  // Settings changed by script commands.
  int key_delay;                  // ms after every key or mouse event (20)
  int title_match_mode;           // 1 starts-with, 2 contains (1)
  int detect_hidden_text;         // 1 lets hidden windows and controls match (0)
  int break_enabled;              // 1 lets the user pause, resume and exit (1)
  int win_delay;                  // ms added after window commands (500)
  int adlib_enabled;              // 1 runs the Adlib walk on every tick (1)
};

extern Engine g_engine;

// Puts every field of g_engine to its start value (sections empty, defaults set).
void ResetEngine();

// Installs the handlers of the commands the engine implements itself.
void InstallEngineCommands();

// Runs the line at the program counter (or enters the stopping state when
// there is none) and rebuilds the status text.
void StatementStep();

// Adds milliseconds to the step delay.
void AddStepDelay(int ms);

// Shows the error box for the current line and enters the stopping state.
void ReportError(const char* message);

// Sets the environment variable ERRORLEVEL to the value in signed decimal.
void SetErrorLevel(int value);

// Frees both stacks, then the main and Adlib sections.
void FreeEngine();

// The banner: title of the host window and head of the status text.
extern const char kBanner[];

// Test seam: how many more gosub or repeat entries may be allocated before an
// allocation is made to fail as if memory had run out; -1 (the default, also
// after ResetEngine) never fails. Only the unit tests change it.
extern int g_stack_alloc_budget;

}  // namespace script

#endif
