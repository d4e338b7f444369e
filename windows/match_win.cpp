// The window matcher: finds the first top-level window whose title and child
// texts match a pattern under the title match mode.
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "windows/accessible_win.h"
#include "windows/match.h"
#include "windows/wide_text_win.h"

namespace windows {

namespace {

// How long a child control may take to hand over its text. A control whose
// thread has stopped answering must not freeze the runner, which matches on
// every tick of a pending wait.
const UINT kChildTextTimeoutMs = 200;

// Where a title or child text is read as UTF-16 before it becomes UTF-8 in
// the byte buffer. Every UTF-16 unit is at least one UTF-8 byte, so as many
// units as bytes lose nothing the byte buffer could hold. One thread matches.
wchar_t g_wide[script::kTextBufSize];

// One match in progress: what is looked for, the text buffer every title and
// child text is read into, and the window found.
struct Search {
  const script::WindowPattern* pattern;
  MatchSettings settings;
  HWND found;
  bool text_found;
  bool silent;  // a control of the current window did not answer in time
  const MatchObserver* observer;  // null in the runner
  char* title;  // with an observer: the title kept while child texts are read
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
  bool utf8 = s->settings.utf8;
  s->text[0] = '\0';
  g_wide[0] = 0;
  LPARAM buffer = utf8 ? reinterpret_cast<LPARAM>(g_wide) : reinterpret_cast<LPARAM>(s->text);
  DWORD_PTR copied = 0;
  SetLastError(ERROR_SUCCESS);
  if (s->silent || !(utf8 ? SendMessageTimeoutW : SendMessageTimeoutA)(
                       child, WM_GETTEXT, script::kTextBufSize, buffer, SMTO_ABORTIFHUNG,
                       kChildTextTimeoutMs, &copied)) {
    // Only a control that let the bound pass (or a thread the system knows
    // to be hung) silences its siblings; any other failure, such as a control
    // destroyed meanwhile, concerns this control alone.
    if (!s->silent && (GetLastError() == ERROR_TIMEOUT || IsHungAppWindow(child))) {
      s->silent = true;
    }
    ReadTitle(child, s->text, sizeof(s->text), utf8);
    return;
  }
  if (!utf8) {
    s->text[sizeof(s->text) - 1] = '\0';
    return;
  }
  g_wide[script::kTextBufSize - 1] = 0;
  ToUtf8(g_wide, s->text, sizeof(s->text));
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

// Tells the observer, if any, what became of a window. The child walk has
// written over the text buffer by then, so the title comes from the copy.
void Tell(const Search& s, HWND window, bool title_passes, bool text_tested, bool text_passes) {
  if (s.observer == NULL) return;
  ExaminedWindow seen = {window, s.title, title_passes, text_tested, text_passes};
  s.observer->window(s.observer->context, seen);
}

BOOL CALLBACK OnTopLevelWindow(HWND window, LPARAM data) {
  Search* s = reinterpret_cast<Search*>(data);
  if (!Visible(*s, window)) return TRUE;
  ReadTitle(window, s->text, sizeof(s->text), s->settings.utf8);
  if (s->title) memcpy(s->title, s->text, sizeof(s->text));
  if (!TitlePasses(*s, s->text)) {
    Tell(*s, window, false, false, false);
    return TRUE;
  }
  bool has_text = s->pattern->text[0] != '\0';
  if (has_text) {
    // The text is only looked for in child windows, never in the title.
    s->text_found = false;
    s->silent = false;
    EnumChildWindows(window, OnChildWindow, data);
    // The accessible elements only when the children gave no match, and
    // only of windows whose title passed.
    if (!s->text_found && s->settings.detect_accessible_text == 1) {
      s->text_found = AccessibleTextMatches(window, s->pattern->text,
                                            s->settings.detect_hidden_text == 1, s->settings.utf8);
    }
    Tell(*s, window, true, true, s->text_found);
    if (!s->text_found) return TRUE;
  } else {
    Tell(*s, window, true, false, true);
  }
  s->found = window;
  return FALSE;
}

// The walk of ListTexts: the same reading as the text test, of every child.
struct TextWalk {
  Search search;
  void (*each)(void* context, const ExaminedText& seen);
  void* context;
};

BOOL CALLBACK OnListedChild(HWND child, LPARAM data) {
  TextWalk* w = reinterpret_cast<TextWalk*>(data);
  if (child == w->search.settings.own_status) return TRUE;
  ReadChildText(&w->search, child);
  ExaminedText seen = {child, w->search.text, IsWindowVisible(child) != FALSE};
  w->each(w->context, seen);
  return TRUE;
}

}  // namespace

bool FindMatchingWindow(const script::WindowPattern& pattern, const MatchSettings& settings,
                        HWND* found, const MatchObserver* observer) {
  Search s;
  s.pattern = &pattern;
  s.settings = settings;
  s.found = NULL;
  s.observer = observer;
  s.title = observer ? static_cast<char*>(malloc(sizeof(s.text))) : NULL;
  if (observer && s.title == NULL) return false;
  EnumWindows(OnTopLevelWindow, reinterpret_cast<LPARAM>(&s));
  free(s.title);
  if (s.found == NULL) return false;
  if (found) *found = s.found;
  return true;
}

void ReadTitle(HWND window, char* title, int size, bool utf8) {
  title[0] = '\0';
  if (!utf8) {
    GetWindowTextA(window, title, size);
    return;
  }
  g_wide[0] = 0;
  GetWindowTextW(window, g_wide, script::kTextBufSize);  // ToUtf8 cuts it to size
  ToUtf8(g_wide, title, size);
}

void ListTexts(HWND window, const MatchSettings& settings,
               void (*each)(void* context, const ExaminedText& seen), void* context) {
  TextWalk* w = static_cast<TextWalk*>(malloc(sizeof(TextWalk)));
  if (w == NULL) return;
  w->search.settings = settings;
  w->search.silent = false;
  w->each = each;
  w->context = context;
  EnumChildWindows(window, OnListedChild, reinterpret_cast<LPARAM>(w));
  free(w);
}

}  // namespace windows
