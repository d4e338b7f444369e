// The spy's look at the desktop: the window and control under a point, the
// texts the matcher would test there, and a match made with the runner's own
// matcher, every examined window noted.
#ifndef KESTRO_AUTHORING_SPY_PROBE_WIN_H
#define KESTRO_AUTHORING_SPY_PROBE_WIN_H

#include <windows.h>

#include "authoring/spy_facts.h"

namespace authoring {

// Fills facts about the screen point under the title match mode and hidden
// setting. self is the spy's own window (null on the command line): while it
// is the foreground window, positions are measured from the window under the
// point instead, the one a script would activate before clicking there.
void ProbePoint(int x, int y, int mode, bool hidden, HWND self, PointFacts* facts);

// Makes the match that facts' title, text and settings describe, with the
// runner's matcher, and lists every window it examined. Returns the winner.
HWND ProbeMatch(MatchFacts* facts);

// The texts of the facts, read in the system's code page, turned into UTF-8
// for the JSON reports.
void ToUtf8(PointFacts* facts);
void ToUtf8(MatchFacts* facts);

}  // namespace authoring

#endif
