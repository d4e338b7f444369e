// Tests of the Adlib walk against the fake window matcher: which line acts,
// the pattern it asks for, the pacing, and what happens after errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/commands.h"
#include "script/interp.h"
#include "script/text.h"
#include "tests/unit/engine_harness.h"
#include "tests/unit/fake_platform.h"

namespace {

using test_engine::Lines;

class AdlibTest : public test_engine::InterpTest {
 protected:
  // Sets the pattern a pending main-section wait would be using.
  void SetMainPattern(const char* title, const char* text) {
    script::CopyText(in.match.title, title, script::kBufSize);
    script::CopyText(in.match.text, text, script::kBufSize);
  }
};

TEST_F(AdlibTest, EmptySectionAsksForNoWindow) {
  platform.AddWindow("Notepad");
  EXPECT_FALSE(script::AdlibWalk(in));
  EXPECT_EQ(0, platform.FindCalls());
  EXPECT_EQ(20, in.step_delay);
}

TEST_F(AdlibTest, OnlyTheFirstMatchingLineActs) {
  platform.AddWindow("Save As", "File name:");
  platform.AddWindow("Warning", "Disk full");
  LoadAdlib({"Absent, , Send, absent", "Warning, , Send, warning", "Save, , Send, save"});
  EXPECT_TRUE(script::AdlibWalk(in));
  EXPECT_EQ(Lines({"warning"}), Trace());
  EXPECT_EQ(2, platform.FindCalls());  // the walk stops at the first match
  EXPECT_EQ(102, in.line_number);
  // The next walk starts from the first line again.
  EXPECT_TRUE(script::AdlibWalk(in));
  EXPECT_EQ(Lines({"warning", "warning"}), Trace());
}

TEST_F(AdlibTest, NoMatchingWindowExaminesEveryLineAndActsNot) {
  platform.AddWindow("Notepad");
  LoadAdlib({"Absent, , Send, a", "Notepad, missing text, Send, b"}, 7);
  EXPECT_FALSE(script::AdlibWalk(in));
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(2, platform.FindCalls());
  EXPECT_EQ(8, in.line_number);  // the last line examined
  EXPECT_EQ(20, in.step_delay);
}

TEST_F(AdlibTest, AsksForItsOwnExpandedAndUnescapedPattern) {
  platform.SetEnv("T", "Save, then close");
  LoadAdlib({"%T%, Body\\, text  , Send, x", "  , , Send, y"});
  in.title_match_mode = 2;
  in.detect_hidden_text = 1;
  in.detect_accessible_text = 1;
  SetMainPattern("Main title", "main text");
  EXPECT_FALSE(script::AdlibWalk(in));
  ASSERT_EQ(2, platform.FindCalls());
  const fake::MatchRequest& first = platform.MatchRequests()[0];
  EXPECT_EQ("Save, then close", first.title);
  EXPECT_EQ("Body, text", first.text);
  EXPECT_EQ(2, first.title_match_mode);
  EXPECT_EQ(1, first.detect_hidden_text);
  EXPECT_EQ(1, first.detect_accessible_text);
  EXPECT_EQ("", platform.MatchRequests()[1].title);
  EXPECT_EQ("", platform.MatchRequests()[1].text);
}

TEST_F(AdlibTest, MatchesUnderTheTitleMatchMode) {
  platform.AddWindow("Untitled - Notepad");
  LoadAdlib({"Notepad, , Send, found"});
  EXPECT_FALSE(script::AdlibWalk(in));  // mode 1: the title must start with it
  in.title_match_mode = 2;
  EXPECT_TRUE(script::AdlibWalk(in));
  EXPECT_EQ(Lines({"found"}), Trace());
}

TEST_F(AdlibTest, EmptyTitleAndTextMatchAnyWindow) {
  LoadAdlib({", , Send, any"});
  EXPECT_FALSE(script::AdlibWalk(in));  // no window at all
  platform.AddWindow("Anything");
  in.title_match_mode = 3;  // no title test is made for an empty title
  EXPECT_TRUE(script::AdlibWalk(in));
  EXPECT_EQ(Lines({"any"}), Trace());
}

TEST_F(AdlibTest, MainSectionPatternIsRestoredAfterTheWalk) {
  platform.AddWindow("Dialog");
  SetMainPattern("Main title", "main text");
  // The WinWait stores a pattern of its own.
  LoadAdlib({"Dialog, , WinWait, Adlib title, adlib text"});
  EXPECT_TRUE(script::AdlibWalk(in));
  EXPECT_STREQ("Main title", in.match.title);
  EXPECT_STREQ("main text", in.match.text);
}

TEST_F(AdlibTest, MainSectionPatternIsRestoredWhenNothingMatches) {
  SetMainPattern("Main title", "main text");
  LoadAdlib({"Dialog, , Send, x"});
  EXPECT_FALSE(script::AdlibWalk(in));
  EXPECT_STREQ("Main title", in.match.title);
  EXPECT_STREQ("main text", in.match.text);
}

TEST_F(AdlibTest, AnActionAdds2000MillisecondsAfterItsCommand) {
  platform.AddWindow("Dialog");
  LoadAdlib({"Dialog, , Sleep, 100"});
  Load({"Send, main"});
  script::TickResult tick = script::RunTick(in);
  EXPECT_FALSE(tick.stepped);
  EXPECT_FALSE(tick.stop);
  EXPECT_EQ(2120u, tick.delay);  // 20 + 100 + 2000
  EXPECT_TRUE(Trace().empty());  // the main line waits for a tick without an action
  ASSERT_TRUE(in.pc != 0);
  EXPECT_EQ(1, in.pc->number);
}

TEST_F(AdlibTest, WithoutAnActionTheTickRunsTheMainLine) {
  LoadAdlib({"Dialog, , Send, adlib"});
  Load({"Send, main"});
  script::TickResult tick = script::RunTick(in);
  EXPECT_TRUE(tick.stepped);
  EXPECT_EQ(20u, tick.delay);
  EXPECT_EQ(Lines({"main"}), Trace());
  EXPECT_EQ(1, platform.FindCalls());
}

TEST_F(AdlibTest, AdlibOffStopsTheWalk) {
  LoadAdlib({"Dialog, , Send, adlib"});
  Load({"AdlibOff", "Send, main"});
  EXPECT_TRUE(script::RunTick(in).stepped);  // no window yet: AdlibOff runs
  EXPECT_EQ(1, platform.FindCalls());
  platform.AddWindow("Dialog");
  EXPECT_TRUE(script::RunTick(in).stepped);
  EXPECT_EQ(1, platform.FindCalls());
  EXPECT_EQ(Lines({"main"}), Trace());
}

TEST_F(AdlibTest, AnAdlibLineCanSwitchAdlibOff) {
  platform.AddWindow("Dialog");
  LoadAdlib({"Dialog, , AdlibOff"});
  Load({"Send, main"});
  EXPECT_FALSE(script::RunTick(in).stepped);
  EXPECT_EQ(0, in.adlib_enabled);
  EXPECT_TRUE(script::RunTick(in).stepped);
  EXPECT_EQ(1, platform.FindCalls());
}

TEST_F(AdlibTest, GosubFromAnAdlibLineReturnsToTheNextMainLine) {
  LoadAdlib({"Dialog, , Gosub, Handle"});
  Load({"Send, 1", "Send, 2", "Exit", "Handle:", "Send, handled", "Return"});
  script::RunTick(in);  // Send, 1
  platform.AddWindow("Dialog");
  script::RunTick(in);  // the Adlib Gosub
  platform.CloseWindows();
  for (int i = 0; i < 10 && !script::RunTick(in).stop; ++i) {
  }
  EXPECT_EQ(Lines({"1", "handled", "2"}), Trace());
  EXPECT_TRUE(platform.ErrorBoxes().empty());
}

// ---- errors ----

class TooFewCommasTest : public AdlibTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TooFewCommasTest, IsReportedAndTheWalkNeverRunsAgain) {
  platform.AddWindow("Dialog");
  LoadAdlib({"Absent, , Send, first", GetParam(), "Dialog, , Send, later"}, 20);
  Load({"Send, main"});
  SetMainPattern("Main", "");
  EXPECT_FALSE(script::AdlibWalk(in));
  EXPECT_EQ("Adlib: Invalid number of parameters!", LastError());
  EXPECT_EQ(21, LastErrorLine());
  EXPECT_EQ(1, platform.FindCalls());  // the bad line is not matched
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_STREQ("Main", in.match.title);
  // The tick that follows stops without another walk.
  script::TickResult tick = script::RunTick(in);
  EXPECT_TRUE(tick.stop);
  EXPECT_EQ(1, platform.FindCalls());
  EXPECT_FALSE(script::AdlibWalk(in));
  EXPECT_EQ(1u, platform.ErrorBoxes().size());
}

INSTANTIATE_TEST_SUITE_P(Lines, TooFewCommasTest,
                         ::testing::Values("Dialog, Send", "Dialog", "Dialog\\, Send\\, x", "Dialog,"));

TEST_F(AdlibTest, TooFewCommasStopsInTheSameTick) {
  LoadAdlib({"Dialog, Send"});
  Load({"Send, main"});
  script::TickResult tick = script::RunTick(in);
  EXPECT_TRUE(tick.stop);
  EXPECT_FALSE(tick.stepped);
  EXPECT_TRUE(Trace().empty());
}

TEST_F(AdlibTest, FailedExpansionIsReportedAndTheLineIsNotMatched) {
  platform.AddWindow("Dialog");
  LoadAdlib({"Dialog, , Send, %oops", "Dialog, , Send, second"}, 30);
  Load({"Send, main"});
  EXPECT_FALSE(script::AdlibWalk(in));
  EXPECT_EQ("Incorrectly formatted ENV string!", LastError());
  EXPECT_EQ(30, LastErrorLine());
  EXPECT_EQ(0, platform.FindCalls());
  EXPECT_TRUE(Trace().empty());
  EXPECT_TRUE(in.halted);
  // The same tick stops the script; the walk never runs again.
  EXPECT_TRUE(script::RunTick(in).stop);
  EXPECT_FALSE(script::AdlibWalk(in));
  EXPECT_EQ(0, platform.FindCalls());
  EXPECT_EQ(1u, platform.ErrorBoxes().size());
}

TEST_F(AdlibTest, CommandErrorIsReportedUnderTheAdlibLineOnce) {
  platform.AddWindow("Dialog");
  LoadAdlib({"Dialog, , Bogus"}, 40);
  Load({"Send, main"});
  script::TickResult tick = script::RunTick(in);
  EXPECT_FALSE(tick.stop);  // the line acted: its command ran as far as its error
  EXPECT_FALSE(tick.stepped);
  EXPECT_EQ(2020u, tick.delay);
  EXPECT_EQ("Error: Invalid command!", LastError());
  EXPECT_EQ(40, LastErrorLine());
  EXPECT_TRUE(script::RunTick(in).stop);
  EXPECT_EQ(1, platform.FindCalls());
  EXPECT_EQ(1u, platform.ErrorBoxes().size());
  EXPECT_TRUE(Trace().empty());
}

// WinActivate, title, text: stores its pattern, then fails.
bool FailingWinActivate(script::Interp& in, script::Fields& f) {
  script::CopyText(in.match.title, f.at[0], script::kBufSize);
  script::CopyText(in.match.text, f.at[1], script::kBufSize);
  return in.Fail("WinActivate: failed!");
}

TEST_F(AdlibTest, CommandErrorStillRestoresTheMainPattern) {
  script::SetHandler(in, script::CMD_WINACTIVATE, FailingWinActivate);
  platform.AddWindow("Dialog");
  SetMainPattern("Main", "text");
  LoadAdlib({"Dialog, , WinActivate, Other, other text"});
  EXPECT_TRUE(script::AdlibWalk(in));
  EXPECT_EQ("WinActivate: failed!", LastError());
  EXPECT_STREQ("Main", in.match.title);
  EXPECT_STREQ("text", in.match.text);
}

TEST_F(AdlibTest, EmptyCommandAfterTheTwoCommasIsAnInvalidCommand) {
  platform.AddWindow("Dialog");
  LoadAdlib({"Dialog, ,"}, 50);
  EXPECT_TRUE(script::AdlibWalk(in));
  EXPECT_EQ("Error: Invalid command!", LastError());
  EXPECT_EQ(50, LastErrorLine());
}

TEST_F(AdlibTest, AfterAMainSectionErrorTheWalkKeepsActingWhileItsWindowStays) {
  LoadAdlib({"Dialog, , Send, dismiss"});
  Load({"Bogus", "Send, never"});
  EXPECT_TRUE(script::RunTick(in).stepped);  // no window yet: the error stops the main section
  ASSERT_TRUE(in.halted);
  platform.AddWindow("Dialog");
  for (int i = 0; i < 3; ++i) {
    script::TickResult tick = script::RunTick(in);
    EXPECT_FALSE(tick.stop);
    EXPECT_EQ(2020u, tick.delay);
  }
  EXPECT_EQ(Lines({"dismiss", "dismiss", "dismiss"}), Trace());
  platform.CloseWindows();
  EXPECT_TRUE(script::RunTick(in).stop);
  EXPECT_EQ(1u, platform.ErrorBoxes().size());
}

TEST_F(AdlibTest, AfterAnErrorAnAdlibWaitCannotRestartTheMainSection) {
  LoadAdlib({"Dialog, , WinWait, Other"});
  Load({"Bogus", "Send, never"});
  script::RunTick(in);
  platform.AddWindow("Dialog");
  EXPECT_FALSE(script::RunTick(in).stop);  // the Adlib WinWait ran
  EXPECT_EQ(script::kStopping, in.wait_state);
  platform.CloseWindows();
  EXPECT_TRUE(script::RunTick(in).stop);
  EXPECT_TRUE(Trace().empty());
}

TEST_F(AdlibTest, AfterAnErrorAnAdlibGosubCannotRestartTheMainSection) {
  LoadAdlib({"Dialog, , Gosub, Handle"});
  Load({"Bogus", "Exit", "Handle:", "Send, handled", "Return"});
  script::RunTick(in);
  platform.AddWindow("Dialog");
  EXPECT_FALSE(script::RunTick(in).stop);  // the Gosub moved the counter
  EXPECT_EQ(script::kStopping, in.wait_state);
  platform.CloseWindows();
  EXPECT_TRUE(script::RunTick(in).stop);
  EXPECT_TRUE(Trace().empty());
}

TEST_F(AdlibTest, AfterANormalEndAnAdlibWaitDoesTakeEffect) {
  // Only an error makes the stop final: a script that ended by itself can be
  // put into a wait by an Adlib line, as a main line could.
  LoadAdlib({"Dialog, , WinWait, Other"});
  Load({"Exit"});
  script::RunTick(in);
  ASSERT_EQ(script::kStopping, in.wait_state);
  platform.AddWindow("Dialog");
  script::RunTick(in);
  EXPECT_EQ(script::kWaitWin, in.wait_state);
  // The wait's pattern was replaced by the one from before the walk.
  EXPECT_STREQ("", in.match.title);
}

TEST_F(AdlibTest, WhileStoppingTheScriptEndsAtTheFirstTickWithoutAnAction) {
  LoadAdlib({"Dialog, , Send, adlib"});
  Load({"Exit"});
  script::RunTick(in);
  platform.AddWindow("Dialog");
  EXPECT_FALSE(script::RunTick(in).stop);
  platform.CloseWindows();
  EXPECT_TRUE(script::RunTick(in).stop);
  EXPECT_EQ(Lines({"adlib"}), Trace());
}

}  // namespace
