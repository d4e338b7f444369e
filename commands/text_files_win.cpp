// Commands on plain text files: FileAppend and FileReadLine, through buffered
// streams in text mode (CR LF on disk is LF in the script). The text is
// written and read as bytes, so a UTF-8 script writes and reads UTF-8.
#include <stdio.h>

#include "commands/handlers.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"
#include "windows/wide_text_win.h"

namespace commands {

namespace {

// Opens a file by a name in the script's text: a UTF-8 script's file names
// go through the UTF-16 form, so any name the system allows can be reached.
// The file's contents are bytes either way.
FILE* OpenFile(const char* name, const char* mode, const wchar_t* wide_mode) {
  if (!Utf8Script()) return fopen(name, mode);
  return _wfopen(windows::Wide(name, 0), wide_mode);
}

// FileAppend, text, file   e.g.  FileAppend, Done\n, %A_SCRIPTDIR%log.txt
// Appends the text in text mode (a line feed is written as CR LF), with no
// line end of its own; ERRORLEVEL 0 on success, 1 when the file cannot be opened.
bool CmdFileAppend(script::Interp& in, script::Fields& f) {
  FILE* file = OpenFile(f.at[1], "a", L"a");
  if (!file) {
    script::SetErrorLevel(in, 1);
    return true;
  }
  bool ok = fputs(f.at[0], file) >= 0;
  ok = (fclose(file) == 0) && ok;
  // A write that did not reach the file is a failure, not a success.
  script::SetErrorLevel(in, ok ? 0 : 1);
  return true;
}

// One read of the buffered line reader takes at most this many bytes with the
// terminating zero, so a read gives at most 1022 characters and a longer
// physical line counts as several lines.
const int kLineReadSize = 1023;

// FileReadLine, variable, file, line number   e.g.  FileReadLine, Name, names.txt, 3
// Reads the file from its start every time and stores line N (from 1) without
// its line end; ERRORLEVEL 0, or 1 when the file cannot be opened, N is 0 or
// less, or the file ends first (the variable then keeps its value).
bool CmdFileReadLine(script::Interp& in, script::Fields& f) {
  FILE* file = OpenFile(f.at[1], "r", L"r");
  if (!file) {
    script::SetErrorLevel(in, 1);
    return true;
  }
  int wanted = script::IntegerValue(f.at[2]);
  char text[kLineReadSize + 1];
  bool found = wanted > 0;
  for (int i = 0; found && i < wanted; ++i) found = fgets(text, kLineReadSize, file) != NULL;
  fclose(file);
  if (!found) {
    script::SetErrorLevel(in, 1);
    return true;
  }
  script::CutAtLineFeed(text);
  script::WriteVariable(*in.sys, f.at[0], text);
  script::SetErrorLevel(in, 0);
  return true;
}

}  // namespace

void InstallTextFileCommands(script::Interp& in) {
  script::SetHandler(in, script::CMD_FILEAPPEND, CmdFileAppend);
  script::SetHandler(in, script::CMD_FILEREADLINE, CmdFileReadLine);
}

}  // namespace commands
