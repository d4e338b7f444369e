// MsgBox and IfMsgBox: the box is the platform's; which button closed it is
// the interpreter's to remember.
#include "script/core_commands.h"
#include "script/interp.h"
#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

// The word IfMsgBox names each button by; "" for no box yet and any other result.
const char* ButtonWord(int button) {
  switch (button) {
    case kBoxOk: return "OK";
    case kBoxCancel: return "CANCEL";
    case kBoxAbort: return "ABORT";
    case kBoxRetry: return "RETRY";
    case kBoxIgnore: return "IGNORE";
    case kBoxYes: return "YES";
    case kBoxNo: return "NO";
  }
  return "";
}

// MsgBox, flags, title, text   e.g.  MsgBox, 4, Question, Continue?
// The flags are the platform's MB_ values, passed through unchanged; the text
// is the rest of the line, commas included. The button that closed the box
// is remembered for IfMsgBox.
bool CmdMsgBox(Interp& in, Fields& f) {
  unsigned int flags = static_cast<unsigned int>(IntegerValue(f.at[0]));
  in.msgbox_button = in.sys->message_box(in.sys->context, f.at[1], f.at[2], flags);
  return true;
}

// IfMsgBox, word, command ...   e.g.  IfMsgBox, Yes, Goto, go_on
// Runs the rest of the line when the last message box was closed with the
// button named by the word (OK, Cancel, Abort, Retry, Ignore, Yes, No; any case).
bool CmdIfMsgBox(Interp& in, Fields& f) {
  if (!EqualsNoCase(f.at[0], ButtonWord(in.msgbox_button))) return true;
  return RunTail(in, f);
}

}  // namespace

void InstallMessageBoxCommands(Interp& in) {
  SetHandler(in, CMD_MSGBOX, CmdMsgBox);
  SetHandler(in, CMD_IFMSGBOX, CmdIfMsgBox);
}

}  // namespace script
