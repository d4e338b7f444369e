// The interpreter object's life cycle and the operations every command shares:
// the error report, ERRORLEVEL, the step delay and the wait state.
#include "script/interp.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kestro_version.h"

namespace script {

// Scripts find the runner's own window by the start of this title
// (IfWinExist, Kestro v2.50), so it stays "Kestro v2.50" from release to
// release; the release number follows in the credit text.
const char kBanner[] = "Kestro v2.50 - (c) the Kestro developers, release " KESTRO_VERSION;

void InitInterp(Interp& in, const Services* sys) {
  memset(&in, 0, sizeof in);
  in.sys = sys;
  in.wait_state = kRunning;
  in.step_delay = 20;
  in.key_delay = 20;
  in.title_match_mode = 1;
  in.detect_hidden_text = 0;
  in.detect_accessible_text = 0;
  in.break_enabled = 1;
  in.win_delay = 500;
  in.adlib_enabled = 1;
  in.stack_alloc_budget = -1;
}

void FreeInterp(Interp& in) {
  while (in.gosub != 0) {
    GosubEntry* below = in.gosub->next;
    free(in.gosub);
    in.gosub = below;
  }
  while (in.repeat != 0) {
    RepeatEntry* below = in.repeat->next;
    free(in.repeat);
    in.repeat = below;
  }
  if (in.run_wait_process != 0) in.sys->close_process(in.sys->context, in.run_wait_process);
  in.run_wait_process = 0;
  FreeSection(&in.sections.main);
  FreeSection(&in.sections.adlib);
  in.pc = 0;
}

void SetHandler(Interp& in, int index, CommandHandler handler) {
  if (index >= 0 && index < CMD_COUNT) in.handlers[index] = handler;
}

void SetPoller(Interp& in, int wait_state, WaitPoller poller) {
  if (wait_state > 0 && wait_state < CMD_COUNT) in.pollers[wait_state] = poller;
}

void SetWaitState(Interp& in, int state) {
  if (in.halted) return;
  // A RunWait given up for another state (set by an Adlib line) lets go of
  // its program at once rather than at exit.
  if (in.wait_state == kWaitRun && state != kWaitRun && in.run_wait_process != 0) {
    in.sys->close_process(in.sys->context, in.run_wait_process);
    in.run_wait_process = 0;
  }
  in.wait_state = state;
}

void AddStepDelay(Interp& in, int ms) {
  long long sum = static_cast<long long>(in.step_delay) + ms;
  if (sum > 0x7FFFFFFF) sum = 0x7FFFFFFF;
  if (sum < -0x7FFFFFFF - 1) sum = -0x7FFFFFFF - 1;
  in.step_delay = static_cast<int>(sum);
}

void ReportError(Interp& in, const char* message) {
  char title[48];
  sprintf(title, "Kestro Error (Line:%d)", in.line_number);
  in.sys->show_error(in.sys->context, in.line_number, title, message);
  in.wait_state = kStopping;
  in.halted = true;
}

void SetErrorLevel(Interp& in, int value) {
  if (in.errorlevel_known && in.errorlevel == value) return;
  in.errorlevel_known = true;
  in.errorlevel = value;
  char text[16];
  sprintf(text, "%d", value);
  in.sys->set_env(in.sys->context, "ERRORLEVEL", text);
}

}  // namespace script
