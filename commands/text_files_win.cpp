// Commands on plain text files: FileAppend.
#include <stdio.h>

#include "commands/handlers.h"
#include "script/commands.h"
#include "script/engine.h"
#include "script/limits.h"
#include "script/params.h"

namespace commands {

namespace {

// FileAppend, text, file   e.g.  FileAppend, Done\n, %A_SCRIPTDIR%log.txt
// Appends the text in text mode (a line feed is written as CR LF), with no
// line end of its own; ERRORLEVEL 0 on success, 1 when the file cannot be opened.
void CmdFileAppend(char* line, char* param, int* cursor) {
  char text[script::kBufSize];
  bool missing = script::SplitField(',', line, cursor, text);
  script::SplitField(0, line, cursor, param);
  if (missing) {
    script::ReportError("FileAppendLine: Invalid number of parameters!");
    return;
  }
  FILE* f = fopen(param, "a");
  if (!f) {
    script::SetErrorLevel(1);
    return;
  }
  bool ok = fputs(text, f) >= 0;
  ok = (fclose(f) == 0) && ok;
  // A write that did not reach the file is a failure, not a success.
  script::SetErrorLevel(ok ? 0 : 1);
}

}  // namespace

void InstallTextFileCommands() {
  script::SetCommandHandler(script::CMD_FILEAPPEND, CmdFileAppend);
}

}  // namespace commands
