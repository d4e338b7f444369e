// Window matching, activation and closing, shared by the window commands, the
// Adlib walk and Shutdown.
#ifndef KESTRO_WINDOWS_WINDOWS_H
#define KESTRO_WINDOWS_WINDOWS_H

#include <windows.h>

#include "script/limits.h"

namespace win {

// The pattern of the current window command and the window it found.
struct MatchState {
  char title[script::kBufSize];  // match title: empty matches every title
  char text[script::kBufSize];   // match text: empty means no text test
  HWND target;                   // window found by the last match
};

extern MatchState g_match;

// Finds the first top-level window that matches g_match.title and
// g_match.text under the matching settings; 0 when one matched (g_match.target
// is then that window), 1 when none did.
int FindMatchingWindow();

// Brings a top-level window to the foreground.
void ActivateWindow(HWND window);

// Asks a window to close like a session end does, and ends its process when
// it does not answer.
void CloseOrKillWindow(HWND window);

}  // namespace win

namespace script {

// The Adlib walk (script/adlib_win.cpp): runs the command of the first Adlib
// line whose window exists; true when one ran. Plugged into the run-timer tick.
bool AdlibWalk();

}  // namespace script

#endif
