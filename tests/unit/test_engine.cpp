// Tests of the statement step, the dispatcher, conditional tails, the status
// text, the error report and ERRORLEVEL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/commands.h"
#include "script/engine.h"
#include "script/params.h"
#include "script/variables.h"
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

// IfEqual, Var, Value,: a minimal condition that runs its tail when it holds.
void TestIfEqual(char* line, char* param, int* cursor) {
  int missing = script::SplitField(',', line, cursor, param) ? 1 : 0;
  std::string name = param;
  missing += script::SplitField(',', line, cursor, param) ? 1 : 0;
  std::string value = param;
  if (missing != 0) {
    script::ReportError("IfEqual: Invalid number of parameters!");
    return;
  }
  char current[script::kMaxValue + 1];
  script::ReadVariable(name.c_str(), current, script::kMaxValue);
  if (value == current) script::Dispatch(line, param, cursor);
}

// WinWait: stands in for a wait command that enters its wait state.
void TestWinWait(char*, char*, int*) { g_engine.wait_state = script::kWaitWin; }

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    script::FreeEngine();
    script::ResetEngine();
    for (int i = 0; i < script::CMD_COUNT; ++i) script::SetCommandHandler(i, 0);
    script::InstallEngineCommands();
    script::SetCommandHandler(script::CMD_SEND, TraceSend);
    script::SetCommandHandler(script::CMD_IFEQUAL, TestIfEqual);
    script::SetCommandHandler(script::CMD_WINWAIT, TestWinWait);
    g_trace.clear();
  }
  void TearDown() override { script::FreeEngine(); }

  // Loads the lines as the main section, numbered from 1.
  void Load(const std::vector<std::string>& lines) { test_engine::LoadMain(lines); }
  // Steps like the run loop until the script leaves the running state.
  int Run(int max_steps = 100) { return test_engine::RunSteps(max_steps); }
  std::string LastError() {
    return fake::ErrorBoxes().empty() ? std::string() : fake::ErrorBoxes().back().message;
  }
};

TEST_F(EngineTest, KeywordNeedsACommaAndIgnoresCase) {
  Load({"sLeEp, 100"});
  script::StatementStep();
  EXPECT_EQ(120, g_engine.step_delay);
  EXPECT_TRUE(fake::ErrorBoxes().empty());

  SetUp();
  Load({"Sleep, 1,000"});
  script::StatementStep();
  EXPECT_EQ(21, g_engine.step_delay);

  SetUp();
  Load({"Sleep 100"});
  script::StatementStep();
  EXPECT_EQ("Error: Invalid command!", LastError());
  EXPECT_EQ(script::kStopping, g_engine.wait_state);
  EXPECT_EQ(20, g_engine.step_delay);
}

TEST_F(EngineTest, RecognisedCommandsWithoutHandlersAndLabelsDoNothing) {
  Load({"ExeScript", "Quit", "MsgBox, hello", "Done:", "Start:, x", "Send, end"});
  Run();
  EXPECT_TRUE(fake::ErrorBoxes().empty());
  EXPECT_EQ(std::vector<std::string>({"end"}), g_trace);
  EXPECT_EQ(script::kStopping, g_engine.wait_state);
}

TEST_F(EngineTest, InvalidLinesStopTheScript) {
  const char* bad[] = {", x", "Bogus", "Start: ; note", "%empty%, x"};
  for (size_t i = 0; i < sizeof(bad) / sizeof(bad[0]); ++i) {
    SetUp();
    Load({bad[i], "Send, never"});
    Run();
    EXPECT_EQ("Error: Invalid command!", LastError()) << bad[i];
    EXPECT_TRUE(g_trace.empty()) << bad[i];
  }
}

TEST_F(EngineTest, EndOfScriptStopsAndKeepsTheStatusText) {
  Load({"Send, a"});
  script::StatementStep();
  std::string status = g_engine.status;
  EXPECT_EQ(script::kRunning, g_engine.wait_state);
  script::StatementStep();
  EXPECT_EQ(script::kStopping, g_engine.wait_state);
  EXPECT_EQ(status, g_engine.status);
}

TEST_F(EngineTest, StatusTextShowsBannerNumberAndExpandedLine) {
  platform::SetEnv("v", "a,b");
  script::AppendLine(&g_engine.sections.main, 1, "; comment");
  script::AppendLine(&g_engine.sections.main, 4, "Send, %v%");
  g_engine.pc = g_engine.sections.main.head;
  script::StatementStep();
  EXPECT_EQ(std::string(script::kBanner) + "\r\n\r\nLine: 4\r\n\r\nSend, a\\,b", g_engine.status);
  EXPECT_EQ(std::vector<std::string>({"a,b"}), g_trace);
  EXPECT_EQ(0u, std::string(script::kBanner).find("Kestro v2.50"));
}

TEST_F(EngineTest, FailedExpansionIsReportedButNotRun) {
  Load({"Sleep, 10", "WinWait, %title"});
  Run();
  EXPECT_EQ("Incorrectly formatted ENV string!", LastError());
  EXPECT_EQ("Kestro Error (Line:2)", fake::ErrorBoxes().back().title);
  // The wait command must not replace the stop the error requested.
  EXPECT_EQ(script::kStopping, g_engine.wait_state);
  EXPECT_NE(std::string::npos, std::string(g_engine.status).find("Line: 2\r\n\r\nWinWait, %title"));
}

TEST_F(EngineTest, ConditionalTails) {
  platform::SetEnv("x", "2");
  Load({"IfEqual, x, 1, Bogus", "IfEqual, x, 2, Done:", "IfEqual, x, 2, Send, yes\\, sir",
        "IfEqual, x, 2, IfEqual, x, 2, Send, nested", "IfEqual, x, 3, Send, no"});
  Run();
  EXPECT_TRUE(fake::ErrorBoxes().empty());
  EXPECT_EQ(std::vector<std::string>({"yes, sir", "nested"}), g_trace);

  const char* failing[] = {"IfEqual, x, 2, Bogus", "IfEqual, x, 2,"};
  for (size_t i = 0; i < 2; ++i) {
    SetUp();
    platform::SetEnv("x", "2");
    Load({"Send, first", failing[i]});
    Run();
    EXPECT_EQ("Error: Invalid command!", LastError()) << failing[i];
    EXPECT_EQ("Kestro Error (Line:2)", fake::ErrorBoxes().back().title) << failing[i];
  }
}

TEST_F(EngineTest, GosubInATailReturnsAfterTheConditionLine) {
  platform::SetEnv("x", "2");
  Load({"IfEqual, x, 2, Gosub, Sub", "Send, back", "Exit", "Sub:", "Send, in sub", "Return"});
  Run();
  EXPECT_TRUE(fake::ErrorBoxes().empty());
  EXPECT_EQ(std::vector<std::string>({"in sub", "back"}), g_trace);
}

TEST_F(EngineTest, ErrorReportStopsFromAnyState) {
  g_engine.wait_state = script::kWaitRun;
  g_engine.line_number = -3;
  script::ReportError("Something: failed!");
  ASSERT_EQ(1u, fake::ErrorBoxes().size());
  EXPECT_EQ(-3, fake::ErrorBoxes()[0].line);
  EXPECT_EQ("Kestro Error (Line:-3)", fake::ErrorBoxes()[0].title);
  EXPECT_EQ("Something: failed!", fake::ErrorBoxes()[0].message);
  EXPECT_EQ(script::kStopping, g_engine.wait_state);
}

TEST_F(EngineTest, ErrorLevelIsSignedDecimal) {
  script::SetErrorLevel(-1);
  EXPECT_EQ("-1", fake::Env("ERRORLEVEL"));
  script::SetErrorLevel((int)3221225477u);
  EXPECT_EQ("-1073741819", fake::Env("errorlevel"));
  script::SetErrorLevel(0);
  EXPECT_EQ("0", fake::Env("ERRORLEVEL"));
}

TEST_F(EngineTest, CommandTable) {
  EXPECT_EQ(72, script::CMD_COUNT);
  EXPECT_EQ(script::kStopping, script::FindCommand("quit"));
  EXPECT_EQ(script::kWaitWinNotActive, script::FindCommand("WinWaitNotActive"));
  EXPECT_EQ(script::kWaitRun, script::FindCommand("RUNWAIT"));
  EXPECT_EQ(71, script::FindCommand("IfLessOrEqual"));
  EXPECT_EQ(script::CMD_COUNT, script::FindCommand(""));
  EXPECT_STREQ("", script::CommandKeyword(script::CMD_COUNT));
}

}  // namespace
