// Plugs the window commands into the interpreter, and the matched window of
// a line that the command files share.
#include "windows/match.h"
#include "windows/window_commands.h"

namespace windows {

HWND StorePatternAndFind(script::Interp& in, script::Fields& f) {
  return static_cast<HWND>(script::StorePatternAndFind(in, f.at[0], f.at[1]));
}

void InstallCommands(script::Interp& in, const SystemInfo& system) {
  InstallActionCommands(in, system);
  InstallEditCommands(in);
}

}  // namespace windows
