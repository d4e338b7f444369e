// Tests of the statement step, the dispatcher, conditional tails, the status
// text, the error report, the sticky stop and ERRORLEVEL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/commands.h"
#include "script/interp.h"
#include "tests/unit/engine_harness.h"
#include "tests/unit/fake_platform.h"

namespace {

using test_engine::InterpTest;
using test_engine::Lines;

typedef InterpTest EngineTest;

// One line run by a single statement step, and what it leaves behind.
struct StepCase {
  const char* line;
  int step_delay;     // after the step, which started from 20
  const char* error;  // "" for none
};

void PrintTo(const StepCase& c, std::ostream* os) { *os << c.line; }

class KeywordTest : public InterpTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(KeywordTest, KeywordEndsAtTheFirstCommaAndIgnoresCase) {
  const StepCase& c = GetParam();
  Load({c.line});
  script::StatementStep(in);
  EXPECT_EQ(c.step_delay, in.step_delay);
  EXPECT_EQ(c.error, LastError());
  EXPECT_EQ(*c.error ? script::kStopping : script::kRunning, in.wait_state);
}

INSTANTIATE_TEST_SUITE_P(Lines, KeywordTest,
                         ::testing::Values(StepCase{"sLeEp, 100", 120, ""},
                                           // The last field is the rest of the line: "1,000" reads as 1.
                                           StepCase{"Sleep, 1,000", 21, ""},
                                           StepCase{"Sleep 100", 20, "Error: Invalid command!"},
                                           StepCase{"  Sleep  ,  7  ", 27, ""}));

TEST_F(EngineTest, RecognisedCommandsWithoutHandlersAndLabelsDoNothing) {
  Load({"ExeScript", "Quit", "MsgBox, 0, title, hello", "WinActivate, Notepad", "Done:", "Start:, x",
        "Send, end"});
  Run();
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  EXPECT_EQ(Lines({"end"}), Trace());
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_FALSE(in.halted);
}

class InvalidLineTest : public InterpTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(InvalidLineTest, StopsTheScript) {
  platform.SetEnv("empty", "");
  Load({GetParam(), "Send, never"});
  Run();
  EXPECT_EQ("Error: Invalid command!", LastError());
  EXPECT_EQ(1, LastErrorLine());
  EXPECT_TRUE(Trace().empty());
  EXPECT_TRUE(in.halted);
}

INSTANTIATE_TEST_SUITE_P(Lines, InvalidLineTest,
                         ::testing::Values(", x", "Bogus", "Start: ; note", "%empty%, x", "Send\\, x"));

TEST_F(EngineTest, EndOfScriptStopsAndKeepsTheStatusText) {
  Load({"Send, a"});
  script::StatementStep(in);
  std::string status = in.status;
  EXPECT_EQ(script::kRunning, in.wait_state);
  script::StatementStep(in);
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_FALSE(in.halted);  // a normal end is no error
  EXPECT_EQ(status, in.status);
}

TEST_F(EngineTest, StatusTextShowsBannerNumberAndExpandedLine) {
  platform.SetEnv("v", "a,b");
  script::AppendLine(&in.sections.main, 1, "; comment");
  script::AppendLine(&in.sections.main, 4, "Send, %v%");
  in.pc = in.sections.main.head;
  script::StatementStep(in);
  EXPECT_EQ(std::string(script::kBanner) + "\r\n\r\nLine: 4\r\n\r\nSend, a\\,b", in.status);
  EXPECT_EQ(Lines({"a,b"}), Trace());
  // Scripts find the runner's own window by this title, whatever the release:
  // "Kestro v2.50" and then a space, so "Kestro v2.5" and "Kestro v2.50" match
  // in every title match mode that compares the start.
  EXPECT_EQ("Kestro v2.50 ", std::string(script::kBanner).substr(0, 13));
}

// The statement step expands a UTF-8 script's lines as UTF-8: the line limit
// leaves out the character it would split. ("SetEnv, o, " is 11 bytes; 1013
// bytes are left, 337 characters of three bytes and two bytes over.)
TEST_F(EngineTest, Utf8ScriptsExpandWithoutSplittingACharacter) {
  std::string jp;
  for (int i = 0; i < 400; ++i) jp += "\xE6\x97\xA5";
  platform.SetEnv("jp", jp);
  in.sections.utf8 = true;
  Load({"SetEnv, o, %jp%", "Send, %o%"});
  Run();
  EXPECT_EQ(Lines({jp.substr(0, 1011)}), Trace());
}

TEST_F(EngineTest, FailedExpansionIsReportedButNotRun) {
  Load({"Sleep, 10", "WinWait, %title"});
  Run();
  EXPECT_EQ("Incorrectly formatted ENV string!", LastError());
  EXPECT_EQ("Kestro Error (Line:2)", platform.ErrorBoxes().back().title);
  EXPECT_EQ(1u, platform.ErrorBoxes().size());
  // The wait command must not replace the stop the error requested.
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_STREQ("", in.match.title);
  EXPECT_NE(std::string::npos, std::string(in.status).find("Line: 2\r\n\r\nWinWait, %title"));
}

TEST_F(EngineTest, ConditionalTails) {
  platform.SetEnv("x", "2");
  Load({"IfEqual, x, 1, Bogus", "IfEqual, x, 2, Done:", "IfEqual, x, 2, Send, yes\\, sir",
        "IfEqual, x, 2, IfEqual, x, 2, Send, nested", "IfEqual, x, 3, Send, no"});
  Run();
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  EXPECT_EQ(Lines({"yes, sir", "nested"}), Trace());
}

class FailingTailTest : public InterpTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FailingTailTest, IsReportedUnderTheConditionLine) {
  platform.SetEnv("x", "2");
  Load({"Send, first", GetParam(), "Send, never"});
  Run();
  EXPECT_EQ("Error: Invalid command!", LastError());
  EXPECT_EQ("Kestro Error (Line:2)", platform.ErrorBoxes().back().title);
  EXPECT_EQ(Lines({"first"}), Trace());
}

INSTANTIATE_TEST_SUITE_P(Lines, FailingTailTest,
                         ::testing::Values("IfEqual, x, 2, Bogus", "IfEqual, x, 2,",
                                           "IfEqual, x, 2, IfEqual, x, 2, Bogus"));

TEST_F(EngineTest, GosubInATailReturnsAfterTheConditionLine) {
  platform.SetEnv("x", "2");
  Load({"IfEqual, x, 2, Gosub, Sub", "Send, back", "Exit", "Sub:", "Send, in sub", "Return"});
  Run();
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  EXPECT_EQ(Lines({"in sub", "back"}), Trace());
}

TEST_F(EngineTest, ErrorReportStopsFromAnyState) {
  in.wait_state = script::kWaitRun;
  in.line_number = -3;
  script::ReportError(in, "Something: failed!");
  ASSERT_EQ(1u, platform.ErrorBoxes().size());
  EXPECT_EQ(-3, platform.ErrorBoxes()[0].line);
  EXPECT_EQ("Kestro Error (Line:-3)", platform.ErrorBoxes()[0].title);
  EXPECT_EQ("Something: failed!", platform.ErrorBoxes()[0].message);
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_TRUE(in.halted);
}

TEST_F(EngineTest, AfterAnErrorNoStateLeavesStopping) {
  script::ReportError(in, "Something: failed!");
  const int states[] = {script::kRunning, script::kWaitWin, script::kWaitWinActive, script::kWaitWinClose,
                        script::kWaitRun, script::kWaitWinNotActive};
  for (size_t i = 0; i < sizeof states / sizeof states[0]; ++i) {
    script::SetWaitState(in, states[i]);
    EXPECT_EQ(script::kStopping, in.wait_state) << states[i];
  }
}

TEST_F(EngineTest, WithoutAnErrorTheWaitStateFollowsCommands) {
  script::SetWaitState(in, script::kStopping);
  script::SetWaitState(in, script::kWaitWin);
  EXPECT_EQ(script::kWaitWin, in.wait_state);
  script::SetWaitState(in, script::kRunning);
  EXPECT_EQ(script::kRunning, in.wait_state);
}

TEST_F(EngineTest, WaitCommandInATailAfterAnErrorStaysStopping) {
  // The error of the first line stops the script; a tail run later (as the
  // Adlib walk or a stray step might) cannot put it into a wait.
  platform.SetEnv("x", "1");
  Load({"Bogus", "IfEqual, x, 1, WinWait, Notepad"});
  script::StatementStep(in);
  ASSERT_TRUE(in.halted);
  script::StatementStep(in);
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_STREQ("Notepad", in.match.title);  // the command itself did run
}

TEST_F(EngineTest, ErrorLevelIsSignedDecimal) {
  script::SetErrorLevel(in, -1);
  EXPECT_EQ("-1", platform.Env("ERRORLEVEL"));
  script::SetErrorLevel(in, static_cast<int>(3221225477u));
  EXPECT_EQ("-1073741819", platform.Env("errorlevel"));
  script::SetErrorLevel(in, 0);
  EXPECT_EQ("0", platform.Env("ERRORLEVEL"));
  script::SetErrorLevel(in, -2147483647 - 1);
  EXPECT_EQ("-2147483648", platform.Env("ERRORLEVEL"));
}

TEST_F(EngineTest, InitInterpSetsTheDefaults) {
  EXPECT_EQ(script::kRunning, in.wait_state);
  EXPECT_EQ(20, in.step_delay);
  EXPECT_EQ(20, in.key_delay);
  EXPECT_EQ(1, in.title_match_mode);
  EXPECT_EQ(0, in.detect_hidden_text);
  EXPECT_EQ(1, in.break_enabled);
  EXPECT_EQ(500, in.win_delay);
  EXPECT_EQ(1, in.adlib_enabled);
  EXPECT_EQ(-1, in.stack_alloc_budget);
  EXPECT_FALSE(in.halted || in.paused || in.adlib.failed);
  EXPECT_TRUE(in.pc == 0 && in.gosub == 0 && in.repeat == 0);
}

TEST(CommandTable, LookupIgnoresCaseAndMapsWaitStates) {
  EXPECT_EQ(script::kStopping, script::FindCommand("quit"));
  EXPECT_EQ(script::kWaitWinNotActive, script::FindCommand("WinWaitNotActive"));
  EXPECT_EQ(script::kWaitRun, script::FindCommand("RUNWAIT"));
  EXPECT_EQ(script::kWaitWin, script::FindCommand("winwait"));
  EXPECT_EQ(script::CMD_IFLESSOREQUAL, script::FindCommand("IfLessOrEqual"));
  EXPECT_EQ(script::CMD_COUNT, script::FindCommand(""));
  EXPECT_EQ(script::CMD_COUNT, script::FindCommand("Sleep "));
  EXPECT_EQ(script::CMD_COUNT, script::FindCommand("SleepX"));
  EXPECT_STREQ("", script::CommandKeyword(script::CMD_COUNT));
  EXPECT_STREQ("", script::CommandKeyword(-1));
  EXPECT_TRUE(script::CommandAt(script::CMD_COUNT) == 0);
  EXPECT_TRUE(script::CommandAt(-1) == 0);
}

}  // namespace
