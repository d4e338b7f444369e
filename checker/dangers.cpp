// The checker's warnings for lines that may do harm as written: Shutdown that
// logs off, a Send or key delay that holds the runner beyond reach of its
// tray, WinClose and WinKill on whatever window comes first.
#include "checker/dangers.h"

#include <stdio.h>
#include <string.h>

#include "script/commands.h"
#include "script/key_scan.h"
#include "script/limits.h"
#include "script/params.h"
#include "script/text.h"

namespace checker {

namespace {

std::string Number(long long n) {
  char buf[32];
  snprintf(buf, sizeof buf, "%lld", n);
  return buf;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Key events of one braced key, such as {ENTER 3}: the text between the braces.
long long BracedKeyEvents(const char* braced, int modifiers) {
  char name[script::kBufSize];
  char count_text[script::kBufSize];
  int cursor = 0;
  script::SplitField(' ', braced, &cursor, name);
  script::SplitField(0, braced, &cursor, count_text);
  const char* const kHeld[] = {"CTRLDOWN", "CTRLUP", "ALTDOWN", "ALTUP", "SHIFTDOWN", "SHIFTUP"};
  for (size_t i = 0; i < sizeof kHeld / sizeof kHeld[0]; ++i)
    if (script::EqualsNoCase(name, kHeld[i])) return 1;
  if (script::EqualsNoCase(name, "ASC")) return 2 + 2 * static_cast<long long>(strlen(count_text));
  if (name[0] == '\0') return 0;
  // A count from a reference: only the run knows it.
  bool known = std::string(count_text).find(kUnknown) == std::string::npos;
  long long count = known ? script::IntegerValue(count_text) : 1;
  if (count == 0) count = 1;
  if (count < 0) return 0;  // a negative count presses nothing
  return 2 * count + 2 * modifiers;
}

// The words of the warning for a field whose flags make a log-off.
std::string LogOffMessage(const Field& flags) {
  std::string reads = flags.text.empty() ? "Shutdown with no flags logs the user off (flag 0)"
                                         : "Shutdown reads \"" + flags.text +
                                               "\" as 0, which logs the user off";
  return reads + ": write 1 to shut down, 2 to restart or 8 to power off, or 0 when a log-off "
                 "is meant";
}

}  // namespace

long long CountKeyEvents(const std::string& keys, bool utf8) {
  long long events = 0;
  int modifiers = 0;  // pending "!", "+" and "^", each pressed once around the next key
  int pending = 0;
  const char* t = keys.c_str();
  for (int pos = 0; t[pos] != '\0'; ++pos) {
    char c = t[pos];
    int bit = c == '!' ? 1 : c == '+' ? 2 : c == '^' ? 4 : 0;
    if (bit != 0) {
      if ((pending & bit) == 0) ++modifiers;
      pending |= bit;
      continue;
    }
    if (c == '#') continue;
    // The rest of a UTF-8 character types nothing of its own.
    if (utf8 && (static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;
    if (c == '{' && script::FindClosingBrace(t, pos + 1) >= 0) {
      char braced[script::kBufSize];
      int cursor = pos + 1;
      script::SplitField('}', t, &cursor, braced);
      events += BracedKeyEvents(braced, modifiers);
      pos = cursor - 1;
    } else {
      events += 2 + 2 * modifiers;
    }
    modifiers = 0;
    pending = 0;
  }
  return events;
}

bool LogsOffUnasked(const Field& flags) {
  if (flags.dynamic()) return false;
  const std::string& t = flags.text;
  size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
  return i >= t.size() || !IsDigit(t[i]);
}

bool FindDanger(int index, const std::vector<Field>& fields, bool utf8, Danger* out) {
  if (fields.empty()) return false;
  const Field& first = fields[0];
  switch (index) {
    case script::CMD_SHUTDOWN:
      if (!LogsOffUnasked(first)) return false;
      *out = Danger{first.text.empty() ? -1 : 0, "logs-off", LogOffMessage(first)};
      return true;
    case script::CMD_SEND: {
      long long events = CountKeyEvents(first.text, utf8);
      if (events <= kMaxKeyEvents) return false;
      *out = Danger{0, "long-send",
                    "this Send sends " + Number(events) +
                        " key events and holds the runner until the last: at the default key "
                        "delay of 20 ms that is " + Number(events * 20 / 1000) +
                        " s, and the script cannot be paused or stopped from its tray "
                        "meanwhile; send at most 10000 a line, in a Repeat loop"};
      return true;
    }
    case script::CMD_SETKEYDELAY: {
      if (first.dynamic()) return false;
      long delay = script::IntegerValue(first.text.c_str());
      if (delay <= kMaxKeyDelay) return false;
      *out = Danger{0, "long-key-delay",
                    "a key delay of " + Number(delay) +
                        " ms holds the runner that long after every key and mouse event, and "
                        "the script cannot be paused or stopped from its tray meanwhile; keep "
                        "it to 60000 or less"};
      return true;
    }
    case script::CMD_WINCLOSE:
    case script::CMD_WINKILL:
      if (fields.size() < 2 || !first.text.empty() || !fields[1].text.empty()) return false;
      *out = Danger{-1, "any-window",
                    std::string(index == script::CMD_WINCLOSE ? "WinClose" : "WinKill") +
                        " with an empty title and text acts on the first visible top-level "
                        "window in Z order, which may be the taskbar; name the window"};
      return true;
    default:
      return false;
  }
}

}  // namespace checker
