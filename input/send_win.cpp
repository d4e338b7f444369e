// The Send command: types the key language of input/key_scan.h into whatever
// window has the keyboard focus.
#include "input/input_win.h"
#include "script/commands.h"
#include "script/params.h"

namespace input {

namespace {

// Send, keys   e.g.  Send, Dear Sir,{ENTER}{TAB}^s
// The whole rest of the line, commas included, is the key text. Reports
// nothing and leaves ERRORLEVEL alone.
void CmdSend(char* line, char* param, int* cursor) {
  script::SplitField(0, line, cursor, param);
  SendKeys(SystemKeyboard(), param);
}

}  // namespace

void InstallSendCommands() { script::SetCommandHandler(script::CMD_SEND, CmdSend); }

}  // namespace input
