// The spy's look at the desktop: the window and control under a point, the
// texts the matcher would test there, and a match made with the runner's own
// matcher, every examined window noted.
#ifndef KESTRO_AUTHORING_SPY_PROBE_WIN_H
#define KESTRO_AUTHORING_SPY_PROBE_WIN_H

#include <windows.h>

#include <string>

#include "authoring/spy_facts.h"

namespace authoring {

// Every text of the facts is UTF-8: the spy shows, copies and reports titles
// and texts in any language.

// Fills facts about the screen point under the title match mode and hidden
// setting. self is the spy's own window (null on the command line): while it
// is the foreground window, positions are measured from the window under the
// point instead, the one a script would activate before clicking there.
void ProbePoint(int x, int y, int mode, bool hidden, HWND self, PointFacts* facts);

// Makes the match that facts' title, text (UTF-8) and settings describe, with
// the runner's matcher, and lists every window it examined. Returns the winner.
HWND ProbeMatch(MatchFacts* facts);

// UTF-8 text as UTF-16 for the W functions, and UTF-16 text (length units, or
// up to its zero when length is negative) as UTF-8, converted as the runner
// converts a UTF-8 script's text: a lone U+DC80 to U+DCFF gives back its byte.
std::wstring ToWide(const std::string& utf8);
std::string FromWide(const wchar_t* wide, int length = -1);

}  // namespace authoring

#endif
