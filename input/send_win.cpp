// The Send command: types the key language of script/key_scan.h into whatever
// window has the keyboard focus.
#include "input/input_win.h"

namespace input {

namespace {

// Send, keys   e.g.  Send, Dear Sir,{ENTER}{TAB}^s
// The whole rest of the line, commas included, is the key text. A UTF-8
// script's text is read as UTF-8, an ANSI script's a byte at a time. Reports
// nothing and leaves ERRORLEVEL alone.
bool CmdSend(script::Interp& in, script::Fields& f) {
  if (in.sections.utf8) {
    script::SendUtf8Keys(SystemKeyboard(in), f.at[0]);
  } else {
    script::SendKeys(SystemKeyboard(in), f.at[0]);
  }
  return true;
}

}  // namespace

void InstallSendCommands(script::Interp& in) { script::SetHandler(in, script::CMD_SEND, CmdSend); }

}  // namespace input
