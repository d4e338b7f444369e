// The Adlib walk: on every tick, the first Adlib line whose window exists has
// its command run, so that a script can deal with windows that turn up uninvited.
#include "script/commands.h"
#include "script/engine.h"
#include "script/params.h"
#include "script/text.h"
#include "windows/windows.h"

namespace script {

namespace {

// The walk's own line and parameter buffers, so that the statement step's
// buffers are left as they are.
char g_adlib_line[kBufSize];
char g_adlib_param[kBufSize];
// The pattern of a pending main-section wait, kept across the walk.
char g_saved_title[kBufSize];
char g_saved_text[kBufSize];
// Set once an Adlib line has failed. The script is stopping then, but the
// walk would otherwise run the failing line, and show its error again, on
// every tick for as long as its window stays.
bool g_walk_failed;

// Restores the main-section pattern and notes whether the walk reported an error.
void EndWalk(int errors_before) {
  CopyText(win::g_match.title, g_saved_title, kBufSize);
  CopyText(win::g_match.text, g_saved_text, kBufSize);
  if (g_engine.errors_reported != errors_before) g_walk_failed = true;
}

}  // namespace

// An Adlib line reads "title, text, command, parameters...". At most one line
// acts per walk; the walk starts from the first line again on every tick.
bool AdlibWalk() {
  if (g_walk_failed) return false;
  int errors_before = g_engine.errors_reported;
  CopyText(g_saved_title, win::g_match.title, kBufSize);
  CopyText(g_saved_text, win::g_match.text, kBufSize);
  bool acted = false;
  for (ScriptLine* adlib = g_engine.sections.adlib.head; adlib != 0; adlib = adlib->next) {
    CopyText(g_adlib_line, adlib->text, kBufSize);
    g_engine.line_number = adlib->number;
    // A failed expansion has reported its error; the line is still matched as it stands.
    ExpandVariables(g_adlib_line);
    int cursor = 0;
    int at_end = SplitField(',', g_adlib_line, &cursor, win::g_match.title);
    at_end += SplitField(',', g_adlib_line, &cursor, win::g_match.text);
    if (at_end != 0) {
      ReportError("Adlib: Invalid number of parameters!");
      g_walk_failed = true;
      return false;
    }
    if (win::FindMatchingWindow() != 0) continue;
    Dispatch(g_adlib_line, g_adlib_param, &cursor);
    AddStepDelay(2000);
    acted = true;
    break;
  }
  EndWalk(errors_before);
  return acted;
}

}  // namespace script
