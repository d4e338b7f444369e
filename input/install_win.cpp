// Plugs the input commands (Send, the mouse commands and BlockInput) into the
// command table.
#include "commands/handlers.h"
#include "input/input_win.h"

namespace commands {

void InstallInputCommands() {
  input::InstallSendCommands();
  input::InstallMouseCommands();
}

}  // namespace commands
