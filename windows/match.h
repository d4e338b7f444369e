// Window matching, activation and closing: the public face of the windows
// folder, used by its commands, by the host (for the Adlib walk) and by Shutdown.
#ifndef KESTRO_WINDOWS_MATCH_H
#define KESTRO_WINDOWS_MATCH_H

#include <windows.h>

#include "script/interp.h"

namespace windows {

// The settings a match is made under.
struct MatchSettings {
  int title_match_mode;    // 1 starts-with, 2 contains, anything else matches no title
  int detect_hidden_text;  // 1 lets hidden windows and controls match
  HWND own_status;         // the runner's status edit, which no text test looks into
};

// The interpreter's current matching settings.
MatchSettings SettingsOf(const script::Interp& in);

// Finds the first top-level window, in the system's window order, whose title
// passes the title test and, when the pattern has a text, one of whose child
// windows holds that text. True when one matched; *found is then that window.
bool FindMatchingWindow(const script::WindowPattern& pattern, const MatchSettings& settings,
                        HWND* found);

// True when the window's program answers a message within a short bound; a
// program that does not is busy or hung, and only asynchronous calls reach it.
bool Answers(HWND window);

// Brings a top-level window to the foreground.
void ActivateWindow(HWND window, const script::Services& sys);

// Asks a window to close like a session end does, and ends its process when
// it does not answer.
void CloseOrKillWindow(HWND window);

// Plugs the window commands, waits and IfWin conditions into the interpreter.
void InstallCommands(script::Interp& in);

}  // namespace windows

#endif
