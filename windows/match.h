// Window matching, activation and closing: the public face of the windows
// folder, used by its commands, by the host (for the Adlib walk) and by Shutdown.
#ifndef KESTRO_WINDOWS_MATCH_H
#define KESTRO_WINDOWS_MATCH_H

#include <windows.h>

#include "script/interp.h"
#include "windows/system_win.h"

namespace windows {

// The settings a match is made under.
struct MatchSettings {
  int title_match_mode;    // 1 starts-with, 2 contains, anything else matches no title
  int detect_hidden_text;  // 1 lets hidden windows and controls match
  HWND own_status;         // the runner's status edit, which no text test looks into
  bool utf8;               // titles and texts are read as UTF-8 (W functions), else as ANSI
  int detect_accessible_text;  // 1: the text test reads accessible elements after the children
};

// What the matcher made of one top-level window it examined (one that passed
// the visibility test), for the authoring tools that show a match being made.
struct ExaminedWindow {
  HWND window;
  const char* title;  // as the title test read it
  bool title_passes;
  bool text_tested;  // false when the title failed or the pattern has no text
  bool text_passes;  // true when the text test passed or there was none to make
};

// One child window's text as the text test reads it.
struct ExaminedText {
  HWND child;
  const char* text;
  bool visible;  // a hidden control takes part only with hidden text detected
};

// Watches a match as it is made. The runner passes none.
struct MatchObserver {
  void* context;                                              // handed back to the calls
  void (*window)(void* context, const ExaminedWindow& seen);  // each examined window
};

// Finds the first top-level window, in the system's window order, whose title
// passes the title test and, when the pattern has a text, one of whose child
// windows holds that text (or, with accessible text detected, one of whose
// accessible elements does). True when one matched; *found is then that window.
// An observer hears of every window examined, the winner last.
bool FindMatchingWindow(const script::WindowPattern& pattern, const MatchSettings& settings,
                        HWND* found, const MatchObserver* observer = NULL);

// The title of a window as the title test reads it (UTF-8 or ANSI), cut to
// fit size bytes; UTF-8 is cut at a character boundary.
void ReadTitle(HWND window, char* title, int size, bool utf8 = false);

// Every child window's text in the order the text test reads them, hidden
// controls included (marked) and the runner's own status edit left out.
void ListTexts(HWND window, const MatchSettings& settings,
               void (*each)(void* context, const ExaminedText& seen), void* context);

// True when the window's program answers a message within a short bound; a
// program that does not is busy or hung, and only asynchronous calls reach it.
bool IsResponsive(HWND window);

// Brings a top-level window to the foreground on the given system.
// `responsive` tells whether the window's program answers (see IsResponsive):
// only then does activation wait on it.
void ActivateWindow(HWND window, const SystemInfo& system, bool responsive);

// Asks a window to close like a session end does, and ends its process when
// it does not answer.
void CloseOrKillWindow(HWND window);

// Plugs the window commands that act on windows into the interpreter (the
// waits and the IfWin conditions are the core's); they activate windows as
// the system given allows.
void InstallCommands(script::Interp& in, const SystemInfo& system);

}  // namespace windows

#endif
