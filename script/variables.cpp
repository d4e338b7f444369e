// The variable store: reads look at the clipboard and the date and time
// built-ins before the environment; writes go to the clipboard or the environment.
#include "script/variables.h"

#include <stdio.h>
#include <string.h>

#include "script/limits.h"
#include "script/services.h"
#include "script/text.h"
#include "script/text_encoding.h"

namespace script {

namespace {

// The built-in names in lookup order; the clipboard comes first.
enum BuiltIn { kClipboard, kSec, kMin, kHour, kMday, kMon, kYear, kWday, kYday, kBuiltInCount };

const char* const kBuiltInNames[kBuiltInCount] = {
    "CLIPBOARD", "A_SEC", "A_MIN", "A_HOUR", "A_MDAY", "A_MON", "A_YEAR", "A_WDAY", "A_YDAY"};

int FindBuiltIn(const char* name) {
  for (int i = 0; i < kBuiltInCount; ++i) {
    if (EqualsNoCase(name, kBuiltInNames[i])) return i;
  }
  return kBuiltInCount;
}

// Writes one part of the current local time; the clock is read for every call.
void FormatTimePart(const Services& sys, int which, char* out, int size) {
  TimeParts now;
  sys.local_time(sys.context, &now);
  char text[16];
  switch (which) {
    case kSec: sprintf(text, "%.2d", now.sec); break;
    case kMin: sprintf(text, "%.2d", now.min); break;
    case kHour: sprintf(text, "%.2d", now.hour); break;
    case kMday: sprintf(text, "%.2d", now.mday); break;
    case kMon: sprintf(text, "%.2d", now.mon); break;
    case kYear: sprintf(text, "%d", now.year); break;
    case kWday: sprintf(text, "%d", now.wday); break;
    default: sprintf(text, "%d", now.yday); break;
  }
  CopyText(out, text, size + 1);
}

}  // namespace

void ReadVariable(const Services& sys, const char* name, char* out, int size, bool utf8) {
  out[0] = '\0';
  int which = FindBuiltIn(name);
  if (which != kClipboard && which != kBuiltInCount) {
    FormatTimePart(sys, which, out, size);
    return;
  }
  // A UTF-8 value is read three bytes longer, so that the cut at size bytes
  // sees the whole character it would split and leaves it out.
  char longer[kMaxValue + 4];
  bool extend = utf8 && size <= kMaxValue;
  char* into = extend ? longer : out;
  int room = extend ? size + 3 : size;
  into[0] = '\0';
  if (which == kClipboard) sys.read_clipboard(sys.context, into, room);
  else sys.get_env(sys.context, name, into, room);
  into[room] = '\0';  // a value longer than room characters is cut here
  if (!extend) return;
  CutText(longer, static_cast<size_t>(size), true);
  memcpy(out, longer, strlen(longer) + 1);
}

void WriteVariable(const Services& sys, const char* name, const char* value) {
  if (EqualsNoCase(name, "clipboard")) {
    sys.write_clipboard(sys.context, value);
    return;
  }
  sys.set_env(sys.context, name, value);
}

}  // namespace script
