// In-memory stand-in for the operating-system services of script/platform.h,
// with controls the unit tests use to set up and inspect them.
#ifndef KESTRO_TESTS_FAKE_PLATFORM_H
#define KESTRO_TESTS_FAKE_PLATFORM_H

#include <string>
#include <vector>

#include "script/platform.h"

namespace fake {

// One error box that the core asked to show.
struct ErrorBox {
  int line;
  std::string title;
  std::string message;
};

// Empties the environment, the clipboard and the box list and sets the clock
// to Wednesday 15 March 2023, 10:04:05 (day 74 of the year).
void Reset();

// True when the environment holds the name (any letter case), even with "".
bool HasEnv(const char* name);
// The value of an environment variable, "" when it is not set.
std::string Env(const char* name);

// The clipboard: its text, whether it holds text at all, and a switch that
// makes it offer text that cannot be read.
void SetClipboard(const std::string& text);
void ClearClipboard();
void SetClipboardUnreadable(bool unreadable);
std::string Clipboard();

// The clock that platform::LocalTime reports.
void SetTime(const platform::TimeParts& parts);

// Every error box shown since the last Reset, oldest first.
const std::vector<ErrorBox>& ErrorBoxes();

}  // namespace fake

#endif
