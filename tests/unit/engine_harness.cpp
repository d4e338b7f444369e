// The run-loop driver of the interpreter tests.
#include "tests/unit/engine_harness.h"

#include "script/core_commands.h"
#include "script/loader.h"
#include "script/text.h"

namespace test_engine {

void LoadSection(script::Section* section, const Lines& lines, int first_number) {
  for (size_t i = 0; i < lines.size(); ++i) {
    ASSERT_TRUE(script::AppendLine(section, first_number + static_cast<int>(i), lines[i].c_str()));
  }
}

int RunSteps(script::Interp& in, int max_steps) {
  int steps = 0;
  while (in.wait_state == script::kRunning && steps < max_steps) {
    in.step_delay = 20;
    script::StatementStep(in);
    ++steps;
  }
  return steps;
}

bool TraceSend(script::Interp& in, script::Fields& f) {
  fake::Of(in).Record(f.at[0]);
  return true;
}

void InterpTest::SetUp() {
  script::InitInterp(in, &platform.services());
  script::InstallCoreCommands(in);
  script::SetHandler(in, script::CMD_SEND, TraceSend);
}

void InterpTest::TearDown() { script::FreeInterp(in); }

void InterpTest::Load(const Lines& lines) {
  LoadSection(&in.sections.main, lines, 1);
  in.pc = in.sections.main.head;
}

void InterpTest::LoadAdlib(const Lines& lines, int first_number) {
  LoadSection(&in.sections.adlib, lines, first_number);
}

int InterpTest::LastErrorLine() const {
  return platform.ErrorBoxes().empty() ? 0 : platform.ErrorBoxes().back().line;
}

}  // namespace test_engine
