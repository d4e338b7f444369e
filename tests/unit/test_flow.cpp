// Tests of labels, Goto, Gosub, Return, Repeat, EndRepeat, Exit and the
// settings commands, run line by line through the statement step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/commands.h"
#include "script/engine.h"
#include "script/params.h"
#include "tests/unit/engine_harness.h"
#include "tests/unit/fake_platform.h"

namespace {

using script::g_engine;

std::vector<std::string> g_trace;  // parameters of every Send that ran

// Send, Text: records the text, so tests can see which lines ran.
void TraceSend(char* line, char* param, int* cursor) {
  script::SplitField('\0', line, cursor, param);
  g_trace.push_back(param);
}

typedef std::vector<std::string> Lines;

class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    script::FreeEngine();
    script::ResetEngine();
    for (int i = 0; i < script::CMD_COUNT; ++i) script::SetCommandHandler(i, 0);
    script::InstallEngineCommands();
    script::SetCommandHandler(script::CMD_SEND, TraceSend);
    g_trace.clear();
  }
  void TearDown() override { script::FreeEngine(); }

  void Load(const Lines& lines) { test_engine::LoadMain(lines); }
  // Steps like the run loop until the script leaves the running state.
  int Run(int max_steps = 200) { return test_engine::RunSteps(max_steps); }
  // Runs a whole script and returns what its Send lines recorded.
  Lines Trace(const Lines& lines) {
    Load(lines);
    Run();
    return g_trace;
  }
  // Steps until the line with the given number has run.
  void RunThroughLine(int number) {
    for (int i = 0; i < 200 && g_engine.wait_state == script::kRunning; ++i) {
      script::StatementStep();
      if (g_engine.line_number == number) return;
    }
    FAIL() << "line " << number << " never ran";
  }
  std::string LastError() {
    return fake::ErrorBoxes().empty() ? std::string() : fake::ErrorBoxes().back().message;
  }
  int GosubDepth() {
    int n = 0;
    for (script::GosubEntry* e = g_engine.gosub; e; e = e->next) ++n;
    return n;
  }
  int RepeatDepth() {
    int n = 0;
    for (script::RepeatEntry* e = g_engine.repeat; e; e = e->next) ++n;
    return n;
  }
};

TEST_F(FlowTest, GotoFindsLabelsWithoutCaseAndTheFirstWins) {
  EXPECT_EQ(Lines({"after"}), Trace({"Goto, done", "Send, skipped", "DONE:", "Send, after", "Exit",
                                     "done:", "Send, second"}));
  EXPECT_TRUE(fake::ErrorBoxes().empty());
}

TEST_F(FlowTest, LabelNameMayHoldSpacesAndComeFromAVariable) {
  platform::SetEnv("where", "my place");
  EXPECT_EQ(Lines({"here"}), Trace({"Goto, %where%", "Send, skipped", "My Place:", "Send, here"}));
}

TEST_F(FlowTest, LabelWithTextAfterTheColonIsNeverFound) {
  Load({"Goto, Start", "Start:, x", "Send, x"});
  Run();
  EXPECT_EQ("Error: Cannot find requested label!", LastError());
  EXPECT_EQ("Kestro Error (Line:1)", fake::ErrorBoxes().back().title);
  EXPECT_TRUE(g_engine.pc == 0);
  EXPECT_TRUE(g_trace.empty());
}

TEST_F(FlowTest, JumpToALabelOnTheLastLineEnds) {
  Load({"Goto, End", "Send, skipped", "End:"});
  EXPECT_EQ(2, Run());
  EXPECT_TRUE(fake::ErrorBoxes().empty());
  EXPECT_TRUE(g_trace.empty());
}

TEST_F(FlowTest, GosubReturnsToTheLineAfterIt) {
  EXPECT_EQ(Lines({"sub", "back", "sub"}),
            Trace({"Gosub, Sub", "Send, back", "Gosub, Sub", "Exit", "Sub:", "Send, sub", "Return"}));
  EXPECT_TRUE(fake::ErrorBoxes().empty());
  EXPECT_EQ(0, GosubDepth());
}

TEST_F(FlowTest, ReturnToAGosubOnTheLastLineEnds) {
  Load({"Goto, Main", "Sub:", "Send, sub", "Return", "Main:", "Gosub, Sub"});
  Run();
  EXPECT_TRUE(fake::ErrorBoxes().empty());
  EXPECT_EQ(Lines({"sub"}), g_trace);
  EXPECT_EQ(script::kStopping, g_engine.wait_state);
}

TEST_F(FlowTest, GosubToAMissingLabelKeepsItsEntry) {
  Load({"Gosub, Nowhere", "Send, x"});
  Run();
  EXPECT_EQ("Error: Cannot find requested label!", LastError());
  EXPECT_TRUE(g_engine.pc == 0);
  ASSERT_EQ(1, GosubDepth());
  EXPECT_EQ(2, g_engine.gosub->ret->number);
}

TEST_F(FlowTest, ReturnWithoutGosubLeavesCounterAndStacks) {
  Load({"Repeat, 2", "Return", "Send, x"});
  RunThroughLine(2);
  EXPECT_EQ("Return: Return with no matching Gosub!", LastError());
  EXPECT_EQ(script::kStopping, g_engine.wait_state);
  ASSERT_TRUE(g_engine.pc != 0);
  EXPECT_EQ(3, g_engine.pc->number);
  EXPECT_EQ(1, RepeatDepth());
  EXPECT_EQ(2, g_engine.repeat->remaining);
}

TEST_F(FlowTest, EndRepeatWithoutRepeatLeavesCounterAndStacks) {
  Load({"Gosub, S", "S:", "EndRepeat", "Send, x"});
  RunThroughLine(3);
  EXPECT_EQ("EndRepeat: EndRepeat with no matching Repeat!", LastError());
  ASSERT_TRUE(g_engine.pc != 0);
  EXPECT_EQ(4, g_engine.pc->number);
  EXPECT_EQ(1, GosubDepth());
  EXPECT_EQ(0, RepeatDepth());
}

TEST_F(FlowTest, RepeatCounts) {
  EXPECT_EQ(Lines({"a", "a", "a", "done"}), Trace({"Repeat, 3", "Send, a", "EndRepeat", "Send, done"}));
  EXPECT_EQ(0, RepeatDepth());
  SetUp();
  EXPECT_EQ(Lines({"a", "done"}), Trace({"Repeat, 1", "Send, a", "EndRepeat", "Send, done"}));
}

TEST_F(FlowTest, RepeatWithoutEnd) {
  const char* forever[] = {"Repeat, 0", "Repeat", "Repeat, lots"};
  for (size_t i = 0; i < 3; ++i) {
    SetUp();
    Load({forever[i], "Send, a", "EndRepeat", "Send, done"});
    EXPECT_EQ(600, Run(600)) << forever[i];
    EXPECT_EQ(300u, g_trace.size()) << forever[i];
    EXPECT_EQ(script::kRunning, g_engine.wait_state);
    ASSERT_EQ(1, RepeatDepth());
    EXPECT_EQ(0, g_engine.repeat->remaining);
  }
}

TEST_F(FlowTest, NegativeCountKeepsCountingDown) {
  Load({"Repeat, -2", "Send, a", "EndRepeat"});
  EXPECT_EQ(300, Run(300));
  EXPECT_EQ(150u, g_trace.size());
  ASSERT_EQ(1, RepeatDepth());
  EXPECT_LT(g_engine.repeat->remaining, -2);

  SetUp();
  Load({"Repeat, -2147483648", "EndRepeat"});
  Run(2);  // one EndRepeat: the lowest value wraps to the highest
  EXPECT_EQ(2147483647, g_engine.repeat->remaining);
}

TEST_F(FlowTest, LoopsNest) {
  Lines trace = Trace({"Repeat, 2", "Send, outer", "Repeat, 3", "Send, inner", "EndRepeat", "EndRepeat"});
  EXPECT_EQ(Lines({"outer", "inner", "inner", "inner", "outer", "inner", "inner", "inner"}), trace);
  EXPECT_EQ(0, RepeatDepth());
}

TEST_F(FlowTest, GotoOutOfALoopLeavesItsEntryForTheNextEndRepeat) {
  Lines trace = Trace({"Repeat, 2", "Send, body", "Goto, Out", "EndRepeat", "Out:", "Send, out", "EndRepeat",
                       "Send, end"});
  // The EndRepeat after Out: pairs with the loop left by Goto and jumps back into it.
  EXPECT_EQ(Lines({"body", "out", "body", "out", "end"}), trace);
  EXPECT_EQ(0, RepeatDepth());
}

TEST_F(FlowTest, ExitStops) {
  Load({"Send, a", "Exit", "Send, b"});
  EXPECT_EQ(2, Run());
  EXPECT_EQ(script::kStopping, g_engine.wait_state);
  EXPECT_EQ(Lines({"a"}), g_trace);
  EXPECT_TRUE(fake::ErrorBoxes().empty());
}

TEST_F(FlowTest, SettingsCommands) {
  Load({"SetKeyDelay, 5", "SetTitleMatchMode, 2", "SetWinDelay, -1", "DetectHiddenText, on", "Break, Off",
        "AdlibOff"});
  Run();
  EXPECT_EQ(5, g_engine.key_delay);
  EXPECT_EQ(2, g_engine.title_match_mode);
  EXPECT_EQ(-1, g_engine.win_delay);
  EXPECT_EQ(1, g_engine.detect_hidden_text);
  EXPECT_EQ(0, g_engine.break_enabled);
  EXPECT_EQ(0, g_engine.adlib_enabled);

  SetUp();
  Load({"DetectHiddenText, on", "DetectHiddenText, yes", "Break", "AdlibOff", "AdlibOn", "SetKeyDelay, x"});
  Run();
  EXPECT_EQ(0, g_engine.detect_hidden_text);
  EXPECT_EQ(0, g_engine.break_enabled);
  EXPECT_EQ(1, g_engine.adlib_enabled);
  EXPECT_EQ(0, g_engine.key_delay);
  SetUp();
  Load({"Break, Off", "Break, ON"});
  Run();
  EXPECT_EQ(1, g_engine.break_enabled);
}

TEST_F(FlowTest, SleepAddsToTheStepDelay) {
  Load({"Sleep, -50"});
  script::StatementStep();
  EXPECT_EQ(-30, g_engine.step_delay);
  script::AddStepDelay(2147483647);
  script::AddStepDelay(100);  // wraps instead of overflowing
  EXPECT_EQ((int)(2147483647u + 70u), g_engine.step_delay);
}

TEST_F(FlowTest, GosubOutOfMemoryEndsTheScript) {
  Load({"Gosub, Sub", "Send, after", "Sub:", "Send, sub"});
  script::g_stack_alloc_budget = 0;
  Run();
  EXPECT_EQ("Gosub: Out of memory!", LastError());
  EXPECT_EQ(script::kStopping, g_engine.wait_state);
  EXPECT_EQ(0, GosubDepth());
  EXPECT_TRUE(g_trace.empty());
}

TEST_F(FlowTest, RepeatOutOfMemoryEndsTheScript) {
  Load({"Repeat, 2", "Send, a", "EndRepeat", "Repeat, 2", "Send, b", "EndRepeat"});
  script::g_stack_alloc_budget = 1;  // the first loop gets its entry, the second does not
  Run();
  EXPECT_EQ("Repeat: Out of memory!", LastError());
  EXPECT_EQ("Kestro Error (Line:4)", fake::ErrorBoxes().back().title);
  EXPECT_EQ(Lines({"a", "a"}), g_trace);
  EXPECT_EQ(0, RepeatDepth());
}

TEST_F(FlowTest, FreeEngineReleasesEverything) {
  Load({"Repeat, 5", "Top:", "Gosub, Top"});
  Run(50);
  EXPECT_GT(GosubDepth(), 10);
  script::FreeEngine();
  EXPECT_EQ(0, GosubDepth());
  EXPECT_EQ(0, RepeatDepth());
  EXPECT_TRUE(g_engine.sections.main.head == 0);
}

}  // namespace
