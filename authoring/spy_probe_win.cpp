// Reading windows for the spy. Titles and texts come from the runner's own
// matcher (windows/match.h), so what the spy shows is what a script sees; the
// rest (class and program names) from the W functions. All of it is UTF-8.
#include "authoring/spy_probe_win.h"

#include <string.h>
#include <wchar.h>
#include <windows.h>
#include <tlhelp32.h>

#include "script/accessible_text.h"
#include "script/limits.h"
#include "script/wide_text.h"
#include "windows/accessible_win.h"
#include "windows/match.h"
#include "windows/wide_text_win.h"

namespace authoring {

namespace {

// Children under children are looked for at most this deep.
const int kMaxDepth = 32;

Rect RectOf(HWND window) {
  RECT r = {0, 0, 0, 0};
  GetWindowRect(window, &r);
  Rect out = {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
              static_cast<int>(r.bottom)};
  return out;
}

// The spy reads titles and texts as a UTF-8 script's matcher does, through
// the W functions, and keeps them as UTF-8.
std::string ClassOf(HWND window) {
  wchar_t name[256];
  name[0] = L'\0';
  GetClassNameW(window, name, 256);
  return FromWide(name);
}

std::string TitleOf(HWND window) {
  static char title[script::kTextBufSize];
  windows::ReadTitle(window, title, sizeof(title), true);
  return title;
}

// The file name of a window's program, from the process list (the toolhelp
// functions are in every kernel32; the last answer is kept, since the pointer
// mostly stays over one program).
std::string ProgramOf(HWND window) {
  static DWORD last_pid = 0;
  static std::string last_name;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == last_pid && pid != 0) return last_name;
  std::string name;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
      if (entry.th32ProcessID != pid) continue;
      const wchar_t* slash = wcsrchr(entry.szExeFile, L'\\');
      name = FromWide(slash ? slash + 1 : entry.szExeFile);
      break;
    }
    CloseHandle(snapshot);
  }
  last_pid = pid;
  last_name = name;
  return name;
}

// The deepest visible child under a screen point. WindowFromPoint passes over
// static controls (they answer the hit test with "transparent"), so the
// children are walked down by position instead.
HWND ControlAt(HWND top, POINT screen) {
  HWND control = NULL;
  HWND parent = top;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    POINT p = screen;
    ScreenToClient(parent, &p);
    HWND child = ChildWindowFromPointEx(parent, p, CWP_SKIPINVISIBLE);
    if (child == NULL || child == parent) break;
    control = child;
    parent = child;
  }
  return control;
}

struct TextList {
  std::vector<TextSeen>* texts;
  HWND control;
  std::string control_text;
};

void OnText(void* context, const windows::ExaminedText& seen) {
  TextList* list = static_cast<TextList*>(context);
  std::string text = seen.text;
  if (seen.child == list->control) list->control_text = text;
  if (text.empty()) return;  // matches no text, and no text is no test
  std::string kind = ClassOf(seen.child);
  TextSeen t = {text, seen.visible, kind, ClassStability(kind)};
  list->texts->push_back(t);
}

void OnExamined(void* context, const windows::ExaminedWindow& seen) {
  MatchFacts* facts = static_cast<MatchFacts*>(context);
  WindowVerdict v;
  v.title = seen.title;
  v.class_name = ClassOf(seen.window);
  v.rect = RectOf(seen.window);
  v.title_passes = seen.title_passes;
  v.text_tested = seen.text_tested;
  v.text_passes = seen.text_passes;
  facts->windows.push_back(v);
}

windows::MatchSettings Settings(int mode, bool hidden, bool accessible = false) {
  windows::MatchSettings settings = {mode, hidden ? 1 : 0, NULL, true, accessible ? 1 : 0};
  return settings;
}

// The names and values of the window's accessible elements, as the matcher
// reads them with DetectAccessibleText, On.
void ReadAccessible(HWND window, std::vector<TextSeen>* out) {
  static char answer[script::kAccessibleAnswerSize];
  int used = windows::ReadAccessibleAnswer(window, true, answer, sizeof(answer));
  script::AccessibleText e;
  for (int pos = 0; (pos = script::NextAccessibleText(answer, used, pos, &e)) >= 0;) {
    TextSeen t = {e.text, !e.hidden, RoleName(e.role) + (e.value ? " value" : ""),
                  RoleStability(e.role, e.value)};
    out->push_back(t);
  }
}

void CopyField(char* to, const std::string& from) {
  size_t n = from.size() < static_cast<size_t>(script::kBufSize - 1)
                 ? from.size()
                 : static_cast<size_t>(script::kBufSize - 1);
  memcpy(to, from.data(), n);
  to[n] = '\0';
}

}  // namespace

void ProbePoint(int x, int y, int mode, bool hidden, HWND self, PointFacts* f) {
  POINT pt = {x, y};
  f->x = x;
  f->y = y;
  f->has_window = f->has_control = false;
  f->title.clear();
  f->class_name.clear();
  f->program.clear();
  f->control_class.clear();
  f->control_text.clear();
  f->control_id = 0;
  f->texts.clear();
  f->accessible.clear();
  f->wait_finds_this = f->wait_finds_other = false;
  f->wait_finds.clear();
  Rect none = {0, 0, 0, 0};
  f->rect = f->control_rect = none;

  HWND hit = WindowFromPoint(pt);
  HWND top = hit ? GetAncestor(hit, GA_ROOT) : NULL;
  if (top) {
    f->has_window = true;
    f->title = TitleOf(top);
    f->class_name = ClassOf(top);
    f->rect = RectOf(top);
    f->program = ProgramOf(top);
    TextList list = {&f->texts, ControlAt(top, pt), std::string()};
    windows::ListTexts(top, Settings(mode, hidden), OnText, &list);
    if (list.control) {
      f->has_control = true;
      f->control_class = ClassOf(list.control);
      f->control_id = GetDlgCtrlID(list.control);
      f->control_text = list.control_text;
      f->control_rect = RectOf(list.control);
    }
    ReadAccessible(top, &f->accessible);
  }

  // The origin of script positions, as the mouse commands take it: the
  // foreground window's outer top-left corner, or the screen's without one.
  HWND foreground = GetForegroundWindow();
  f->active = foreground ? TitleOf(foreground) : std::string();
  HWND origin_window = foreground;
  f->rel_to_foreground = true;
  if (self != NULL && foreground == self && top != NULL) {
    origin_window = top;
    f->rel_to_foreground = false;
  }
  Rect origin = origin_window ? RectOf(origin_window) : none;
  f->rel_x = x - origin.left;
  f->rel_y = y - origin.top;
  f->rel_to = origin_window ? TitleOf(origin_window) : std::string();

  if (!f->has_window) return;
  MatchFacts wait;
  wait.title = LineTitle(*f);
  Proposal proposal = ProposeWait(*f, hidden);
  wait.text = proposal.text;
  wait.mode = mode;
  wait.hidden = hidden;
  wait.accessible = proposal.needs_accessible;
  HWND winner = ProbeMatch(&wait);
  f->wait_finds_this = winner == top;
  f->wait_finds_other = winner != NULL && winner != top;
  if (f->wait_finds_other) f->wait_finds = wait.windows.back().title;
}

HWND ProbeMatch(MatchFacts* f) {
  static script::WindowPattern pattern;
  CopyField(pattern.title, f->title);
  CopyField(pattern.text, f->text);
  f->windows.clear();
  windows::MatchObserver observer = {f, OnExamined};
  HWND found = NULL;
  f->matched =
      windows::FindMatchingWindow(pattern, Settings(f->mode, f->hidden, f->accessible), &found, &observer);
  return f->matched ? found : NULL;
}

// The runner's own conversion, so that the spy shows a title as a script
// reads it: a byte that is not UTF-8 travels as its escape and comes back.
std::wstring ToWide(const std::string& utf8) {
  std::wstring wide(utf8.size() + 1, L'\0');  // at most one unit for each byte
  size_t n = script::Utf8ToUtf16(utf8.data(), utf8.size(), windows::Units(&wide[0]), wide.size());
  wide.resize(n);
  return wide;
}

std::string FromWide(const wchar_t* wide, int length) {
  size_t units = length < 0 ? wcslen(wide) : static_cast<size_t>(length);
  std::string out(3 * units + 1, '\0');  // at most three bytes for each unit
  out.resize(script::Utf16ToUtf8(windows::Units(wide), units, &out[0], out.size()));
  return out;
}

}  // namespace authoring
