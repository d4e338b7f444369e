// Plugs the window commands, waits and IfWin conditions into the interpreter,
// and the matcher that the other window files share.
#include "script/text.h"
#include "windows/match.h"
#include "windows/window_commands.h"

namespace windows {

bool FindPattern(script::Interp& in, const char* title, const char* text, HWND* found) {
  script::CopyText(in.match.title, title, script::kBufSize);
  script::CopyText(in.match.text, text, script::kBufSize);
  return FindMatchingWindow(in.match, SettingsOf(in), found);
}

void AddWindowDelay(script::Interp& in) { script::AddStepDelay(in, in.win_delay); }

void InstallCommands(script::Interp& in) {
  InstallWaitCommands(in);
  InstallConditions(in);
  InstallActionCommands(in);
  InstallEditCommands(in);
}

}  // namespace windows
