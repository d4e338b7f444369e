// Drives the interpreter the way the run loop does, for the tests of the
// statement step, the flow commands, the conditions, the waits and the Adlib
// walk: a fake platform, an interpreter with the core's commands, and a Send
// that records.
#ifndef KESTRO_TESTS_UNIT_ENGINE_HARNESS_H
#define KESTRO_TESTS_UNIT_ENGINE_HARNESS_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/interp.h"
#include "tests/unit/fake_platform.h"

namespace test_engine {

typedef std::vector<std::string> Lines;

// Stores the lines in the section, numbered from first_number. Fails the
// current test when a line cannot be stored.
void LoadSection(script::Section* section, const Lines& lines, int first_number);

// Runs statement steps like the run loop, at most max_steps times, until the
// script leaves the running state; returns the number of steps taken.
int RunSteps(script::Interp& in, int max_steps);

// Send, Text   e.g.  Send, hello
// Records the text in the fake platform's trace, so a test sees which lines ran.
bool TraceSend(script::Interp& in, script::Fields& f);

// An interpreter over a fake platform with the core's commands (the window
// waits and conditions, MsgBox and RunWait's poller among them) and Send recording.
class InterpTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads the lines as the main section, numbered from 1, and points the
  // program counter at the first.
  void Load(const Lines& lines);
  // Loads the lines as the Adlib section, numbered from first_number.
  void LoadAdlib(const Lines& lines, int first_number = 101);
  // Steps like the run loop until the script leaves the running state.
  int Run(int max_steps = 200) { return RunSteps(in, max_steps); }
  // The texts that Send lines recorded.
  const Lines& Trace() const { return platform.Trace(); }
  std::string LastError() const { return platform.LastError(); }
  // The line number of the last error box, or 0.
  int LastErrorLine() const;

  fake::Platform platform;
  script::Interp in;
};

}  // namespace test_engine

#endif
