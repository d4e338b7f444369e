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

BOOL CALLBACK OnTopLevelWindow(HWND window, LPARAM data) {
  Search* s = reinterpret_cast<Search*>(data);
  if (!Visible(*s, window)) return TRUE;
  s->text[0] = '\0';
  GetWindowTextA(window, s->text, sizeof(s->text));
  if (!TitlePasses(*s, s->text)) return TRUE;
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
  Search s;
  s.pattern = &pattern;
  s.settings = settings;
  s.found = NULL;
  EnumWindows(OnTopLevelWindow, reinterpret_cast<LPARAM>(&s));
  if (s.found == NULL) return false;
  if (found) *found = s.found;
  return true;
}

}  // namespace windows
