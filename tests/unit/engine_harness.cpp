// The run-loop stand-in of the engine and flow tests.
#include "tests/unit/engine_harness.h"

#include <gtest/gtest.h>

#include "script/engine.h"
#include "script/loader.h"

namespace test_engine {

using script::g_engine;

void LoadMain(const std::vector<std::string>& lines) {
  for (size_t i = 0; i < lines.size(); ++i) {
    ASSERT_TRUE(script::AppendLine(&g_engine.sections.main, (int)i + 1, lines[i].c_str()));
  }
  g_engine.pc = g_engine.sections.main.head;
}

int RunSteps(int max_steps) {
  int steps = 0;
  while (g_engine.wait_state == script::kRunning && steps < max_steps) {
    g_engine.step_delay = 20;
    script::StatementStep();
    ++steps;
  }
  return steps;
}

}  // namespace test_engine
