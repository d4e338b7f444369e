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

// GetWindowText does not read the text of another process's controls (it
// only returns a caption the system keeps), so the control is asked itself.
void ReadChildText(Search* s, HWND child) {
  s->text[0] = '\0';
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(child, WM_GETTEXT, sizeof(s->text), reinterpret_cast<LPARAM>(s->text),
                           SMTO_ABORTIFHUNG, kChildTextTimeoutMs, &copied)) {
    s->text[0] = '\0';
  }
  s->text[sizeof(s->text) - 1] = '\0';
}

// EnumChildWindows delivers children of children too.
BOOL CALLBACK OnChildWindow(HWND child, LPARAM data) {
  Search* s = reinterpret_cast<Search*>(data);
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
    EnumChildWindows(window, OnChildWindow, data);
    if (!s->text_found) return TRUE;
  }
  s->found = window;
  return FALSE;
}

}  // namespace

MatchSettings SettingsOf(const script::Interp& in) {
  MatchSettings settings = {in.title_match_mode, in.detect_hidden_text};
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
