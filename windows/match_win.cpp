// The window matcher: finds the first top-level window whose title and child
// texts match the current pattern under the title match mode.
#include <string.h>
#include <windows.h>

#include "script/engine.h"
#include "windows/windows.h"

namespace win {

MatchState g_match;

namespace {

// How long a child control may take to hand over its text. A control whose
// thread has stopped answering must not freeze the runner, which matches on
// every tick of a pending wait.
const UINT kChildTextTimeoutMs = 200;

int g_not_found;                         // 1 while no window has matched
char g_text_buffer[script::kTextBufSize];  // every title and child text is read here

bool Visible(HWND window) {
  return IsWindowVisible(window) || script::g_engine.detect_hidden_text == 1;
}

bool TitlePasses(const char* title) {
  const char* pattern = g_match.title;
  if (pattern[0] == '\0') return true;
  switch (script::g_engine.title_match_mode) {
    case 1:
      return strncmp(title, pattern, strlen(pattern)) == 0;
    case 2:
      return strstr(title, pattern) != NULL;
    default:
      return false;
  }
}

// GetWindowText does not read the text of another process's controls (it
// only returns a caption the system keeps), so the control is asked itself.
void ReadChildText(HWND child) {
  g_text_buffer[0] = '\0';
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(child, WM_GETTEXT, sizeof(g_text_buffer),
                           reinterpret_cast<LPARAM>(g_text_buffer), SMTO_ABORTIFHUNG,
                           kChildTextTimeoutMs, &copied)) {
    g_text_buffer[0] = '\0';
  }
  g_text_buffer[sizeof(g_text_buffer) - 1] = '\0';
}

// EnumChildWindows delivers children of children too.
BOOL CALLBACK OnChildWindow(HWND child, LPARAM) {
  if (!Visible(child)) return TRUE;
  ReadChildText(child);
  if (strstr(g_text_buffer, g_match.text) == NULL) return TRUE;
  g_not_found = 0;
  return FALSE;
}

BOOL CALLBACK OnTopLevelWindow(HWND window, LPARAM) {
  if (!Visible(window)) return TRUE;
  g_text_buffer[0] = '\0';
  GetWindowTextA(window, g_text_buffer, sizeof(g_text_buffer));
  g_match.target = window;  // set before any test, so a failed match leaves the last one examined
  if (!TitlePasses(g_text_buffer)) return TRUE;
  if (g_match.text[0] == '\0') {
    g_not_found = 0;
    return FALSE;
  }
  // The text is only looked for in child windows, never in the title.
  EnumChildWindows(window, OnChildWindow, 0);
  return g_not_found == 0 ? FALSE : TRUE;
}

}  // namespace

int FindMatchingWindow() {
  g_not_found = 1;
  EnumWindows(OnTopLevelWindow, 0);
  return g_not_found;
}

}  // namespace win
