// Commands on plain text files: FileAppend and FileReadLine, through buffered
// streams in text mode (CR LF on disk is LF in the script). The text is
// written and read as bytes, so a UTF-8 script writes and reads UTF-8.
#include <stdio.h>
#include <string.h>

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

// Reads the next piece of a line as fgets(text, kLineReadSize, file) does: at
// most 1022 bytes, up to and including a line feed. In a UTF-8 script a full
// piece that would end inside a character ends before it instead, and the
// character's first bytes begin the next piece, so no piece holds half a
// character. `carry` keeps those bytes between calls.
struct PieceReader {
  FILE* file;
  bool utf8;
  char carry[4];
  int carried;
};

bool ReadPiece(PieceReader* r, char* text) {
  int n = r->carried;
  memcpy(text, r->carry, static_cast<size_t>(n));
  r->carried = 0;
  while (n < kLineReadSize - 1) {
    int c = getc(r->file);
    if (c == EOF) break;
    text[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  text[n] = '\0';
  if (n == 0) return false;
  if (!r->utf8 || n < kLineReadSize - 1 || text[n - 1] == '\n') return true;
  int next = getc(r->file);
  if (next == EOF) return true;
  ungetc(next, r->file);
  if ((next & 0xC0) != 0x80) return true;  // the next byte starts a character of its own
  int start = n - 1;
  while (start > n - 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0xC0) return true;  // not UTF-8 here
  r->carried = n - start;
  memcpy(r->carry, text + start, static_cast<size_t>(r->carried));
  text[start] = '\0';
  return true;
}

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
  PieceReader reader = {file, Utf8Script(), {0, 0, 0, 0}, 0};
  for (int i = 0; found && i < wanted; ++i) found = ReadPiece(&reader, text);
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
