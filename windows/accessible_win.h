// The text of a window's accessible elements (Active Accessibility), read on
// walker threads so that a program that hangs never holds the caller.
#ifndef KESTRO_WINDOWS_ACCESSIBLE_WIN_H
#define KESTRO_WINDOWS_ACCESSIBLE_WIN_H

#include <windows.h>

namespace windows {

// True when a name or value of one of the window's accessible elements (not
// the window's own element, whose name is its title) contains `wanted`;
// hidden elements count only when hidden_too. The texts are those of the
// window's latest walk: one is started when due, and waited for a short
// while; a window that does not answer in time is matched by the texts it
// gave at its last answer (none, if it never answered). Texts arrive in the
// script's encoding (UTF-8, else the ANSI code page). The first call loads
// oleacc.dll; windows of this process are not walked.
bool AccessibleTextMatches(HWND window, const char* wanted, bool hidden_too, bool utf8);

// Copies the window's latest answer (see script/accessible_text.h for its
// form) into out, starting a walk and waiting for it as a match does; returns
// its length (0: none); a window's first walk is waited for up to 2 s. From
// the first call on, walks read elements' roles too (a match needs none).
int ReadAccessibleAnswer(HWND window, bool utf8, char* out, int size);

}  // namespace windows

#endif
