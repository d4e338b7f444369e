// Commands on plain text files: FileAppend and FileReadLine, through buffered
// streams in text mode (CR LF on disk is LF in the script).
#include <stdio.h>

#include "commands/handlers.h"
#include "script/commands.h"
#include "script/engine.h"
#include "script/limits.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"

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

// One read of the buffered line reader takes at most this many bytes with the
// terminating zero, so a read gives at most 1022 characters and a longer
// physical line counts as several lines.
const int kLineReadSize = 1023;

// FileReadLine, variable, file, line number   e.g.  FileReadLine, Name, names.txt, 3
// Reads the file from its start every time and stores line N (from 1) without
// its line end; ERRORLEVEL 0, or 1 when the file cannot be opened, N is 0 or
// less, or the file ends first (the variable then keeps its value).
void CmdFileReadLine(char* line, char* param, int* cursor) {
  char name[script::kBufSize];
  char file[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, name);
  missing += script::SplitField(',', line, cursor, file);
  script::SplitField(0, line, cursor, param);
  if (missing != 0) {
    script::ReportError("FileReadLine: Invalid number of parameters!");
    return;
  }
  FILE* f = fopen(file, "r");
  if (!f) {
    script::SetErrorLevel(1);
    return;
  }
  int wanted = script::IntegerValue(param);
  if (wanted <= 0) {
    fclose(f);
    script::SetErrorLevel(1);
    return;
  }
  char text[kLineReadSize + 1];
  for (int i = 0; i < wanted; ++i) {
    if (!fgets(text, kLineReadSize, f)) {
      fclose(f);
      script::SetErrorLevel(1);
      return;
    }
  }
  fclose(f);
  script::CutAtLineFeed(text);
  script::WriteVariable(name, text);
  script::SetErrorLevel(0);
}

}  // namespace

void InstallTextFileCommands() {
  script::SetCommandHandler(script::CMD_FILEAPPEND, CmdFileAppend);
  script::SetCommandHandler(script::CMD_FILEREADLINE, CmdFileReadLine);
}

}  // namespace commands
