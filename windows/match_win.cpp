// The window matcher: finds the first top-level window whose title and child
// texts match a pattern under the title match mode.
#include <string.h>
#include <windows.h>

#include "windows/match.h"

namespace windows {

namespace {

// How long a child control may take to hand over its text. A control whose
// thread has stopped answering must not freeze the runner, which matches on
// every tick of a pending wait.
const UINT kChildTextTimeoutMs = 200;

// One match in progress: what is looked for, the text buffer every title and
// child text is read into, and the window found.
struct Search {
  const script::WindowPattern* pattern;
  MatchSettings settings;
  HWND found;
  bool text_found;
  bool silent;  // a control of the current window did not answer in time
  int title_read;  // how many bytes of a title to read (with its terminator)
  char text[script::kTextBufSize];
};

bool Visible(const Search& s, HWND window) {
  return IsWindowVisible(window) || s.settings.detect_hidden_text == 1;
}

bool TitlePasses(const Search& s, const char* title) {
  const char* wanted = s.pattern->title;
  if (wanted[0] == '\0') return true;
  switch (s.settings.title_match_mode) {
    case 1:
      return strncmp(title, wanted, strlen(wanted)) == 0;
    case 2:
      return strstr(title, wanted) != NULL;
    default:
      return false;
  }
}

// GetWindowText does not read what another process's control holds (an
// edit field's contents, say), only the text the system keeps for it, so the
// control is asked itself. A control that does not answer within the bound
// is matched by the text the system keeps, which needs no answer; once one
// control of a window has kept silent, its siblings (the same thread, as a
// rule) are not asked again in this match, so a hung window costs one bound.
void ReadChildText(Search* s, HWND child) {
  s->text[0] = '\0';
  DWORD_PTR copied = 0;
  if (s->silent || !SendMessageTimeoutA(child, WM_GETTEXT, sizeof(s->text),
                                        reinterpret_cast<LPARAM>(s->text), SMTO_ABORTIFHUNG,
                                        kChildTextTimeoutMs, &copied)) {
    s->silent = true;
    s->text[0] = '\0';
    GetWindowTextA(child, s->text, sizeof(s->text));
  }
  s->text[sizeof(s->text) - 1] = '\0';
}

// EnumChildWindows delivers children of children too. The runner's own
// status edit shows the line being run, so it takes no part in matching.
BOOL CALLBACK OnChildWindow(HWND child, LPARAM data) {
  Search* s = reinterpret_cast<Search*>(data);
  if (child == s->settings.own_status) return TRUE;
  if (!Visible(*s, child)) return TRUE;
  ReadChildText(s, child);
  if (strstr(s->text, s->pattern->text) == NULL) return TRUE;
  s->text_found = true;
  return FALSE;
}

// A wait asks on every tick, so each window costs only what the test needs:
// no title is read when any title passes, and otherwise the title is read
// first, since most windows fail on it and then need no visibility test (a
// call to the system for another program's window, as reading its title is).
// A starts-with test reads no more of the title than it compares.
BOOL CALLBACK OnTopLevelWindow(HWND window, LPARAM data) {
  Search* s = reinterpret_cast<Search*>(data);
  if (s->pattern->title[0] != '\0') {
    s->text[0] = '\0';
    GetWindowTextA(window, s->text, s->title_read);
    if (!TitlePasses(*s, s->text)) return TRUE;
  }
  if (!Visible(*s, window)) return TRUE;
  if (s->pattern->text[0] != '\0') {
    // The text is only looked for in child windows, never in the title.
    s->text_found = false;
    s->silent = false;
    EnumChildWindows(window, OnChildWindow, data);
    if (!s->text_found) return TRUE;
  }
  s->found = window;
  return FALSE;
}

}  // namespace

MatchSettings SettingsOf(const script::Interp& in) {
  MatchSettings settings = {in.title_match_mode, in.detect_hidden_text,
                            static_cast<HWND>(in.sys->own_status)};
  return settings;
}

bool FindMatchingWindow(const script::WindowPattern& pattern, const MatchSettings& settings,
                        HWND* found) {
  const char* title = pattern.title;
  int mode = settings.title_match_mode;
  // Only the two title match modes let a title pass.
  if (title[0] != '\0' && mode != 1 && mode != 2) return false;
  Search s;
  s.pattern = &pattern;
  s.settings = settings;
  s.found = NULL;
  s.title_read = static_cast<int>(sizeof(s.text));
  size_t wanted = strlen(title);
  if (mode == 1 && wanted + 1 < sizeof(s.text)) s.title_read = static_cast<int>(wanted + 1);
  EnumWindows(OnTopLevelWindow, reinterpret_cast<LPARAM>(&s));
  if (s.found == NULL) return false;
  if (found) *found = s.found;
  return true;
}

}  // namespace windows
