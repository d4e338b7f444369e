// Plugs the input commands (Send, the mouse commands and BlockInput) into the
// interpreter.
#include "input/input_win.h"

namespace input {

void InstallCommands(script::Interp& in) {
  InstallSendCommands(in);
  InstallMouseCommands(in);
}

}  // namespace input
