// The Adlib walk: on every tick, the first Adlib line whose window exists has
// its command run, so that a script can deal with windows that turn up uninvited.
#include "script/interp.h"
#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

// Reports an error of an Adlib line. The walk never runs again: the script is
// stopping, and the failing line would otherwise fail again on every tick
// for as long as its window stays.
bool FailWalk(Interp& in, const char* message) {
  ReportError(in, message);
  in.adlib.failed = true;
  return false;
}

}  // namespace

AdlibLineFind ReadAdlibLine(const Interp& in, const ScriptLine* line, char* text,
                            WindowPattern* pattern, int* cursor) {
  CopyText(text, line->text, kBufSize);
  if (!ExpandVariables(*in.sys, text, in.sections.utf8)) return kAdlibBadReference;
  *cursor = 0;
  int at_end = SplitField(',', text, cursor, pattern->title);
  at_end += SplitField(',', text, cursor, pattern->text);
  if (at_end != 0) return kAdlibBadCommas;
  bool exists = in.sys->find_window(in.sys->context, *pattern, in.title_match_mode,
                                    in.detect_hidden_text, in.detect_accessible_text) != 0;
  return exists ? kAdlibWindowExists : kAdlibNoWindow;
}

// An Adlib line reads "title, text, command, parameters...". At most one line
// acts per walk; the walk starts from the first line again on every tick. The
// pattern of a pending main-section wait is put back after the walk, also
// when the command run here set one of its own.
bool AdlibWalk(Interp& in) {
  AdlibState& a = in.adlib;
  if (a.failed || in.sections.adlib.head == 0) return false;
  a.saved = in.match;
  bool acted = false;
  for (ScriptLine* adlib = in.sections.adlib.head; adlib != 0; adlib = adlib->next) {
    in.line_number = adlib->number;
    int cursor;
    AdlibLineFind found = ReadAdlibLine(in, adlib, a.line, &a.pattern, &cursor);
    if (found == kAdlibBadReference) return FailWalk(in, kBadReference);
    if (found == kAdlibBadCommas) return FailWalk(in, "Adlib: Invalid number of parameters!");
    if (found == kAdlibNoWindow) continue;
    bool ok = Dispatch(in, a.line, &cursor);
    AddStepDelay(in, 2000);
    in.match = a.saved;
    if (!ok) {
      FailWalk(in, in.failure);
      return true;  // the line acted: its command ran as far as its error
    }
    acted = true;
    break;
  }
  in.match = a.saved;
  return acted;
}

}  // namespace script
