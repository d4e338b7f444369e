// What a waiting script waits for, as the debug channel shows it: the pattern
// the matcher looks for, the window that matches now, and the closest titles.
#ifndef KESTRO_SCRIPT_DEBUG_WAITING_H
#define KESTRO_SCRIPT_DEBUG_WAITING_H

#include <string>
#include <utility>
#include <vector>

#include "script/debug_session.h"

namespace script {

typedef std::vector<std::pair<std::string, std::string> > NamedValues;

// The command a stopped script is on: the wait or box in progress, or the
// line at the stop (expanded now). Empty when there is none.
std::string CurrentCommand(const Interp& in, const DebugSession& d);

// The top frame's name: the command with what it waits for and for how long
// so far ("WinWait, Untitled - Notepad — 3.2 s of 10 s"), or the line's text.
std::string TopFrameName(const Interp& in, const DebugSession& d);

// How far a window title is from a pattern's title under the match mode: the
// fewest characters to change, add or drop so that the title would match (0:
// it matches by title).
int TitleDistance(const std::string& pattern, const std::string& title, int title_match_mode);

// The "Waiting for" scope: empty when the current command looks for no window
// (and is no RunWait or box); otherwise the pattern, the match mode, the window
// that matches now, and the visible windows whose titles come closest.
NamedValues WaitingFor(const Interp& in, const DebugSession& d);

}  // namespace script

#endif
