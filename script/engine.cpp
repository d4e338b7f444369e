// The interpreter's process-wide state, the statement step, the error report
// and ERRORLEVEL.
#include "script/engine.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "script/commands.h"
#include "script/params.h"
#include "script/platform.h"
#include "script/text.h"

namespace script {

Engine g_engine;

const char kBanner[] = "Kestro v2.50 - (c) the Kestro developers";

int g_stack_alloc_budget = -1;

void ResetEngine() {
  memset(&g_engine, 0, sizeof(g_engine));
  g_engine.wait_state = kRunning;
  g_engine.step_delay = 20;
  g_engine.key_delay = 20;
  g_engine.title_match_mode = 1;
  g_engine.detect_hidden_text = 0;
  g_engine.break_enabled = 1;
  g_engine.win_delay = 500;
  g_engine.adlib_enabled = 1;
  g_stack_alloc_budget = -1;
}

// Rebuilds the status text: banner, line number and the (expanded) line.
static void BuildStatusText() {
  char number[16];
  sprintf(number, "%d", g_engine.line_number);
  g_engine.status[0] = '\0';
  BoundedAppend(kBanner, g_engine.status);
  BoundedAppend("\r\n\r\n", g_engine.status);
  BoundedAppend("Line: ", g_engine.status);
  BoundedAppend(number, g_engine.status);
  BoundedAppend("\r\n\r\n", g_engine.status);
  BoundedAppend(g_engine.line, g_engine.status);
}

// The counter moves before the line runs, so a jump overwrites it and Gosub
// and Repeat see the line after their own as the point to come back to.
void StatementStep() {
  ScriptLine* current = g_engine.pc;
  if (current == 0) {
    g_engine.wait_state = kStopping;  // the normal end of a script
    return;
  }
  CopyText(g_engine.line, current->text, kBufSize);
  g_engine.line_number = current->number;
  g_engine.pc = current->next;
  bool expanded = ExpandVariables(g_engine.line);
  BuildStatusText();
  // A failed expansion has already reported the error and stopped the script;
  // running the line anyway could let a wait command undo that stop.
  if (!expanded) return;
  int cursor = 0;
  Dispatch(g_engine.line, g_engine.param, &cursor);
}

void AddStepDelay(int ms) {
  // Added in unsigned arithmetic so that extreme Sleep values wrap instead of overflowing.
  g_engine.step_delay = (int)((unsigned int)g_engine.step_delay + (unsigned int)ms);
}

void ReportError(const char* message) {
  char title[48];
  sprintf(title, "Kestro Error (Line:%d)", g_engine.line_number);
  platform::ShowScriptError(g_engine.line_number, title, message);
  ++g_engine.errors_reported;
  g_engine.wait_state = kStopping;
}

void SetErrorLevel(int value) {
  char text[16];
  sprintf(text, "%d", value);
  platform::SetEnv("ERRORLEVEL", text);
}

void FreeEngine() {
  while (g_engine.gosub != 0) {
    GosubEntry* below = g_engine.gosub->next;
    free(g_engine.gosub);
    g_engine.gosub = below;
  }
  while (g_engine.repeat != 0) {
    RepeatEntry* below = g_engine.repeat->next;
    free(g_engine.repeat);
    g_engine.repeat = below;
  }
  FreeSection(&g_engine.sections.main);
  FreeSection(&g_engine.sections.adlib);
  g_engine.pc = 0;
}

}  // namespace script
