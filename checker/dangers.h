// Lines the runner runs as written but that may do harm the author did not
// mean: a log-off, a runner that cannot be stopped for minutes, a close of
// whatever window is in front.
#ifndef KESTRO_CHECKER_DANGERS_H
#define KESTRO_CHECKER_DANGERS_H

#include <string>
#include <vector>

#include "checker/fields.h"

namespace checker {

const long long kMaxKeyEvents = 10000;  // more on one Send line holds the runner for minutes
const long kMaxKeyDelay = 60000;        // ms; a longer key delay holds it after every key

// A warning about one command line: the field it concerns (-1: the keyword),
// its code and its message.
struct Danger {
  int field;
  const char* code;
  std::string message;
};

// The danger of command `index` with its fields as read, if any.
bool FindDanger(int index, const std::vector<Field>& fields, bool utf8, Danger* out);

// The key events a Send text sends at the least: two for each press, and two
// for each modifier a prefix adds; a count that comes from a reference counts
// once. Keys the layout types with Shift, Ctrl or Alt add theirs on top.
long long CountKeyEvents(const std::string& keys, bool utf8);

// True when Shutdown's flags text, as written, makes the flag word 0 (a
// log-off) without saying so: empty, or a text that does not start with a
// number. Flags from a reference are the script's business.
bool LogsOffUnasked(const Field& flags);

}  // namespace checker

#endif
