// Tests of labels, Goto, Gosub, Return, Repeat, EndRepeat, Exit and the
// settings commands, run line by line through the statement step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/commands.h"
#include "script/interp.h"
#include "tests/unit/engine_harness.h"
#include "tests/unit/fake_platform.h"

namespace {

using test_engine::Lines;

class FlowTest : public test_engine::InterpTest {
 protected:
  // Runs a whole script and returns what its Send lines recorded.
  Lines TraceOf(const Lines& lines) {
    Load(lines);
    Run();
    return Trace();
  }
  // Steps until the line with the given number has run.
  void RunThroughLine(int number) {
    for (int i = 0; i < 200 && in.wait_state == script::kRunning; ++i) {
      script::StatementStep(in);
      if (in.line_number == number) return;
    }
    FAIL() << "line " << number << " never ran";
  }
  int GosubDepth() const {
    int n = 0;
    for (script::GosubEntry* e = in.gosub; e; e = e->next) ++n;
    return n;
  }
  int RepeatDepth() const {
    int n = 0;
    for (script::RepeatEntry* e = in.repeat; e; e = e->next) ++n;
    return n;
  }
};

TEST_F(FlowTest, GotoFindsLabelsWithoutCaseAndTheFirstWins) {
  EXPECT_EQ(Lines({"after"}), TraceOf({"Goto, done", "Send, skipped", "DONE:", "Send, after", "Exit",
                                       "done:", "Send, second"}));
  EXPECT_TRUE(platform.ErrorBoxes().empty());
}

TEST_F(FlowTest, LabelNameMayHoldSpacesAndComeFromAVariable) {
  platform.SetEnv("where", "my place");
  EXPECT_EQ(Lines({"here"}), TraceOf({"Goto, %where%", "Send, skipped", "My Place:", "Send, here"}));
}

TEST_F(FlowTest, LabelWithTextAfterTheColonIsNeverFound) {
  Load({"Goto, Start", "Start:, x", "Send, x"});
  Run();
  EXPECT_EQ("Error: Cannot find requested label!", LastError());
  EXPECT_EQ("Kestro Error (Line:1)", platform.ErrorBoxes().back().title);
  EXPECT_TRUE(in.pc == 0);
  EXPECT_TRUE(Trace().empty());
}

TEST_F(FlowTest, JumpToALabelOnTheLastLineEnds) {
  Load({"Goto, End", "Send, skipped", "End:"});
  EXPECT_EQ(2, Run());
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  EXPECT_TRUE(Trace().empty());
}

TEST_F(FlowTest, GosubReturnsToTheLineAfterIt) {
  EXPECT_EQ(Lines({"sub", "back", "sub"}),
            TraceOf({"Gosub, Sub", "Send, back", "Gosub, Sub", "Exit", "Sub:", "Send, sub", "Return"}));
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  EXPECT_EQ(0, GosubDepth());
}

TEST_F(FlowTest, ReturnToAGosubOnTheLastLineEnds) {
  Load({"Goto, Main", "Sub:", "Send, sub", "Return", "Main:", "Gosub, Sub"});
  Run();
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  EXPECT_EQ(Lines({"sub"}), Trace());
  EXPECT_EQ(script::kStopping, in.wait_state);
}

TEST_F(FlowTest, GosubToAMissingLabelKeepsItsEntry) {
  Load({"Gosub, Nowhere", "Send, x"});
  Run();
  EXPECT_EQ("Error: Cannot find requested label!", LastError());
  EXPECT_TRUE(in.pc == 0);
  ASSERT_EQ(1, GosubDepth());
  EXPECT_EQ(2, in.gosub->ret->number);
}

TEST_F(FlowTest, ReturnWithoutGosubLeavesCounterAndStacks) {
  Load({"Repeat, 2", "Return", "Send, x"});
  RunThroughLine(2);
  EXPECT_EQ("Return: Return with no matching Gosub!", LastError());
  EXPECT_EQ(script::kStopping, in.wait_state);
  ASSERT_TRUE(in.pc != 0);
  EXPECT_EQ(3, in.pc->number);
  EXPECT_EQ(1, RepeatDepth());
  EXPECT_EQ(2, in.repeat->remaining);
}

TEST_F(FlowTest, EndRepeatWithoutRepeatLeavesCounterAndStacks) {
  Load({"Gosub, S", "S:", "EndRepeat", "Send, x"});
  RunThroughLine(3);
  EXPECT_EQ("EndRepeat: EndRepeat with no matching Repeat!", LastError());
  ASSERT_TRUE(in.pc != 0);
  EXPECT_EQ(4, in.pc->number);
  EXPECT_EQ(1, GosubDepth());
  EXPECT_EQ(0, RepeatDepth());
}

TEST_F(FlowTest, RepeatCountsDown) {
  EXPECT_EQ(Lines({"a", "a", "a", "done"}), TraceOf({"Repeat, 3", "Send, a", "EndRepeat", "Send, done"}));
  EXPECT_EQ(0, RepeatDepth());
}

TEST_F(FlowTest, RepeatOnceRunsTheBodyOnce) {
  EXPECT_EQ(Lines({"a", "done"}), TraceOf({"Repeat, 1", "Send, a", "EndRepeat", "Send, done"}));
  EXPECT_EQ(0, RepeatDepth());
}

class RepeatForeverTest : public FlowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RepeatForeverTest, LoopsWithoutEnd) {
  Load({GetParam(), "Send, a", "EndRepeat", "Send, done"});
  EXPECT_EQ(600, Run(600));
  EXPECT_EQ(300u, Trace().size());
  EXPECT_EQ(script::kRunning, in.wait_state);
  ASSERT_EQ(1, RepeatDepth());
  EXPECT_EQ(0, in.repeat->remaining);
}

INSTANTIATE_TEST_SUITE_P(Counts, RepeatForeverTest, ::testing::Values("Repeat, 0", "Repeat", "Repeat, lots"));

TEST_F(FlowTest, NegativeCountKeepsCountingDown) {
  Load({"Repeat, -2", "Send, a", "EndRepeat"});
  EXPECT_EQ(300, Run(300));
  EXPECT_EQ(150u, Trace().size());
  ASSERT_EQ(1, RepeatDepth());
  EXPECT_LT(in.repeat->remaining, -2);
}

TEST_F(FlowTest, LowestCountWrapsToTheHighest) {
  Load({"Repeat, -2147483648", "EndRepeat"});
  Run(2);  // one EndRepeat: the lowest value wraps to the highest
  ASSERT_EQ(1, RepeatDepth());
  EXPECT_EQ(2147483647, in.repeat->remaining);
}

TEST_F(FlowTest, LoopsNest) {
  Lines trace = TraceOf({"Repeat, 2", "Send, outer", "Repeat, 3", "Send, inner", "EndRepeat", "EndRepeat"});
  EXPECT_EQ(Lines({"outer", "inner", "inner", "inner", "outer", "inner", "inner", "inner"}), trace);
  EXPECT_EQ(0, RepeatDepth());
}

TEST_F(FlowTest, GotoOutOfALoopLeavesItsEntryForTheNextEndRepeat) {
  Lines trace = TraceOf({"Repeat, 2", "Send, body", "Goto, Out", "EndRepeat", "Out:", "Send, out", "EndRepeat",
                         "Send, end"});
  // The EndRepeat after Out: pairs with the loop left by Goto and jumps back into it.
  EXPECT_EQ(Lines({"body", "out", "body", "out", "end"}), trace);
  EXPECT_EQ(0, RepeatDepth());
}

TEST_F(FlowTest, ExitStops) {
  Load({"Send, a", "Exit", "Send, b"});
  EXPECT_EQ(2, Run());
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_EQ(Lines({"a"}), Trace());
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  EXPECT_FALSE(in.halted);
}

TEST_F(FlowTest, SettingsCommandsStoreTheirValues) {
  Load({"SetKeyDelay, 5", "SetTitleMatchMode, 2", "SetWinDelay, -1", "DetectHiddenText, on", "Break, Off",
        "AdlibOff", "DetectAccessibleText, ON"});
  Run();
  EXPECT_EQ(1, in.detect_accessible_text);
  EXPECT_EQ(5, in.key_delay);
  EXPECT_EQ(2, in.title_match_mode);
  EXPECT_EQ(-1, in.win_delay);
  EXPECT_EQ(1, in.detect_hidden_text);
  EXPECT_EQ(0, in.break_enabled);
  EXPECT_EQ(0, in.adlib_enabled);
  EXPECT_TRUE(platform.ErrorBoxes().empty());
}

TEST_F(FlowTest, SettingWordsOtherThanOnSwitchOff) {
  Load({"DetectHiddenText, on", "DetectHiddenText, yes", "Break", "AdlibOff", "AdlibOn", "SetKeyDelay, x",
        "SetTitleMatchMode, 7", "DetectAccessibleText, On", "DetectAccessibleText, 1"});
  Run();
  EXPECT_EQ(0, in.detect_accessible_text);
  EXPECT_EQ(0, in.detect_hidden_text);
  EXPECT_EQ(0, in.break_enabled);
  EXPECT_EQ(1, in.adlib_enabled);
  EXPECT_EQ(0, in.key_delay);
  EXPECT_EQ(7, in.title_match_mode);  // stored without a range check
}

TEST_F(FlowTest, BreakOnIgnoresCase) {
  Load({"Break, Off", "Break, ON"});
  Run();
  EXPECT_EQ(1, in.break_enabled);
}

TEST_F(FlowTest, SleepAddsToTheStepDelay) {
  Load({"Sleep, -50", "Sleep, 30"});
  script::StatementStep(in);
  EXPECT_EQ(-30, in.step_delay);
  script::StatementStep(in);
  EXPECT_EQ(0, in.step_delay);
}

TEST_F(FlowTest, HugeSleepSaturatesInsteadOfWrapping) {
  Load({"Sleep, 2147483647", "Sleep, 100"});
  script::StatementStep(in);
  EXPECT_EQ(2147483647, in.step_delay);
  script::StatementStep(in);
  EXPECT_EQ(2147483647, in.step_delay);
}

TEST_F(FlowTest, GosubOutOfMemoryEndsTheScript) {
  Load({"Gosub, Sub", "Send, after", "Sub:", "Send, sub"});
  in.stack_alloc_budget = 0;
  Run();
  EXPECT_EQ("Gosub: Out of memory!", LastError());
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_EQ(0, GosubDepth());
  EXPECT_TRUE(Trace().empty());
}

TEST_F(FlowTest, RepeatOutOfMemoryEndsTheScript) {
  Load({"Repeat, 2", "Send, a", "EndRepeat", "Repeat, 2", "Send, b", "EndRepeat"});
  in.stack_alloc_budget = 1;  // the first loop gets its entry, the second does not
  Run();
  EXPECT_EQ("Repeat: Out of memory!", LastError());
  EXPECT_EQ("Kestro Error (Line:4)", platform.ErrorBoxes().back().title);
  EXPECT_EQ(Lines({"a", "a"}), Trace());
  EXPECT_EQ(0, RepeatDepth());
}

TEST_F(FlowTest, FreeInterpReleasesEverything) {
  Load({"Repeat, 5", "Top:", "Gosub, Top"});
  LoadAdlib({"x, y, Send, z"});
  Run(50);
  EXPECT_GT(GosubDepth(), 10);
  script::FreeInterp(in);
  EXPECT_EQ(0, GosubDepth());
  EXPECT_EQ(0, RepeatDepth());
  EXPECT_TRUE(in.sections.main.head == 0);
  EXPECT_TRUE(in.sections.adlib.head == 0);
  EXPECT_TRUE(in.pc == 0);
}

}  // namespace
