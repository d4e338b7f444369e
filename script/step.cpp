// The statement step: runs the line at the program counter and rebuilds the
// status text that the host window shows.
#include <stdio.h>

#include "script/interp.h"
#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

// Rebuilds the status text: banner, line number and the (expanded) line.
void BuildStatusText(Interp& in) {
  char number[16];
  sprintf(number, "%d", in.line_number);
  in.status[0] = '\0';
  BoundedAppend(kBanner, in.status);
  BoundedAppend("\r\n\r\n", in.status);
  BoundedAppend("Line: ", in.status);
  BoundedAppend(number, in.status);
  BoundedAppend("\r\n\r\n", in.status);
  BoundedAppend(in.line, in.status);
}

}  // namespace

// The counter moves before the line runs, so a jump overwrites it and Gosub
// and Repeat see the line after their own as the point to come back to.
void StatementStep(Interp& in) {
  ScriptLine* current = in.pc;
  if (current == 0) {
    SetWaitState(in, kStopping);  // the normal end of a script
    return;
  }
  CopyText(in.line, current->text, kBufSize);
  in.line_number = current->number;
  in.pc = current->next;
  bool expanded = ExpandVariables(*in.sys, in.line, in.sections.utf8);
  BuildStatusText(in);
  // A line whose expansion failed is reported and not run: running it anyway
  // would act on a half-read line.
  if (!expanded) {
    ReportError(in, kBadReference);
    return;
  }
  int cursor = 0;
  if (!Dispatch(in, in.line, &cursor)) ReportError(in, in.failure);
}

}  // namespace script
