// Tests of the run-timer tick: what runs in a tick, the delay before the next
// one, the wait pollers, the wait timeout and the step delay's saturation.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "script/commands.h"
#include "script/interp.h"
#include "tests/unit/engine_harness.h"
#include "tests/unit/fake_platform.h"

namespace {

using test_engine::Lines;

typedef test_engine::InterpTest RunTickTest;

// Polls the WinWait stand-in: the wait ends once the fake desktop holds a
// matching window, or fails when the timeout has expired.
void PollWinWait(script::Interp& in) {
  fake::Of(in).Record("poll");
  const script::Services& sys = *in.sys;
  if (sys.find_window(sys.context, in.match, in.title_match_mode, in.detect_hidden_text)) {
    script::SetWaitState(in, script::kRunning);
    return;
  }
  if (in.timeout_expired) script::ReportError(in, "WinWait: timed out!");
}

// WinWait, title, text, seconds: the stand-in with a timeout armed when one is given.
bool TimedWinWait(script::Interp& in, script::Fields& f) {
  test_engine::StandInWinWait(in, f);
  in.timeout_expired = false;
  if (f.at[2][0] != '\0') {
    in.timeout_armed = true;
    in.sys->arm_wait_timer(in.sys->context, 1000u * static_cast<unsigned int>(atoi(f.at[2])));
  }
  return true;
}

TEST_F(RunTickTest, PausedTicksPollEvery20MillisecondsAndRunNothing) {
  platform.AddWindow("Dialog");
  LoadAdlib({"Dialog, , Send, adlib"});
  Load({"Send, main"});
  in.paused = true;
  in.step_delay = 5000;
  script::TickResult tick = script::RunTick(in);
  EXPECT_FALSE(tick.stop);
  EXPECT_FALSE(tick.stepped);
  EXPECT_EQ(20u, tick.delay);
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(0, platform.FindCalls());
  EXPECT_EQ(in.sections.main.head, in.pc);
}

TEST_F(RunTickTest, PausedWhileStoppingDoesNotStopYet) {
  Load({"Exit"});
  script::RunTick(in);
  in.paused = true;
  EXPECT_FALSE(script::RunTick(in).stop);
  in.paused = false;
  EXPECT_TRUE(script::RunTick(in).stop);
}

TEST_F(RunTickTest, RunningStepsOneLineAndWaitsItsStepDelay) {
  Load({"Sleep, 100", "Send, b"});
  script::TickResult tick = script::RunTick(in);
  EXPECT_TRUE(tick.stepped);
  EXPECT_FALSE(tick.stop);
  EXPECT_EQ(120u, tick.delay);
  tick = script::RunTick(in);  // every tick starts again from 20
  EXPECT_EQ(20u, tick.delay);
  EXPECT_EQ(Lines({"b"}), Trace());
}

TEST_F(RunTickTest, TheEndOfTheScriptIsSteppedThenStops) {
  Load({"Send, a"});
  EXPECT_TRUE(script::RunTick(in).stepped);
  script::TickResult tick = script::RunTick(in);  // no line left: enters stopping
  EXPECT_TRUE(tick.stepped);
  EXPECT_FALSE(tick.stop);
  tick = script::RunTick(in);
  EXPECT_TRUE(tick.stop);
  EXPECT_FALSE(tick.stepped);
}

TEST_F(RunTickTest, StoppingStopsAndRunsNothing) {
  Load({"Send, a"});
  in.wait_state = script::kStopping;
  script::TickResult tick = script::RunTick(in);
  EXPECT_TRUE(tick.stop);
  EXPECT_FALSE(tick.stepped);
  EXPECT_TRUE(Trace().empty());
}

TEST_F(RunTickTest, AWaitCallsItsPollerOncePerTickInsteadOfStepping) {
  script::SetPoller(in, script::kWaitWin, PollWinWait);
  Load({"WinWait, Notepad", "Send, after"});
  script::RunTick(in);
  ASSERT_EQ(script::kWaitWin, in.wait_state);
  for (int i = 0; i < 3; ++i) {
    script::TickResult tick = script::RunTick(in);
    EXPECT_FALSE(tick.stepped);
    EXPECT_EQ(20u, tick.delay);
  }
  EXPECT_EQ(Lines({"poll", "poll", "poll"}), Trace());
  const fake::MatchRequest& asked = platform.MatchRequests().back();
  EXPECT_EQ("Notepad", asked.title);
  platform.AddWindow("Notepad - file.txt");
  script::RunTick(in);  // the poller ends the wait
  EXPECT_EQ(script::kRunning, in.wait_state);
  EXPECT_TRUE(script::RunTick(in).stepped);
  EXPECT_EQ(Lines({"poll", "poll", "poll", "poll", "after"}), Trace());
}

TEST_F(RunTickTest, PollersAreCalledByTheirOwnWaitStateOnly) {
  script::SetPoller(in, script::kWaitWinClose, PollWinWait);
  Load({"WinWait, Notepad"});
  script::RunTick(in);
  script::TickResult tick = script::RunTick(in);  // kWaitWin has no poller: nothing happens
  EXPECT_FALSE(tick.stop);
  EXPECT_FALSE(tick.stepped);
  EXPECT_EQ(20u, tick.delay);
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(script::kWaitWin, in.wait_state);
}

TEST_F(RunTickTest, TheWaitTimeoutReachesThePoller) {
  script::SetHandler(in, script::CMD_WINWAIT, TimedWinWait);
  script::SetPoller(in, script::kWaitWin, PollWinWait);
  Load({"WinWait, Notepad, , 3", "Send, never"});
  script::RunTick(in);
  EXPECT_EQ(std::vector<unsigned int>({3000u}), platform.ArmedTimers());
  script::RunTick(in);
  EXPECT_EQ(script::kWaitWin, in.wait_state);
  script::OnWaitTimeout(in);
  EXPECT_TRUE(in.timeout_expired);
  script::RunTick(in);
  EXPECT_EQ("WinWait: timed out!", LastError());
  EXPECT_TRUE(script::RunTick(in).stop);
  EXPECT_EQ(Lines({"poll", "poll"}), Trace());
}

TEST_F(RunTickTest, AnAdlibActionTakesTheTickFromTheWait) {
  script::SetPoller(in, script::kWaitWin, PollWinWait);
  LoadAdlib({"Dialog, , Send, adlib"});
  Load({"WinWait, Notepad"});
  script::RunTick(in);
  platform.AddWindow("Dialog");
  script::TickResult tick = script::RunTick(in);
  EXPECT_FALSE(tick.stepped);
  EXPECT_EQ(2020u, tick.delay);
  EXPECT_EQ(Lines({"adlib"}), Trace());  // no poll in this tick
  // The wait's own pattern is what the next poll asks for.
  platform.CloseWindows();
  script::RunTick(in);
  EXPECT_EQ("Notepad", platform.MatchRequests().back().title);
}

TEST_F(RunTickTest, ANegativeStepDelayMeansAtOnce) {
  Load({"Sleep, -50"});
  EXPECT_EQ(0u, script::RunTick(in).delay);
}

TEST_F(RunTickTest, AHugeSleepWaitsAsLongAsATimerCan) {
  Load({"Sleep, 2147483647"});
  EXPECT_EQ(2147483647u, script::RunTick(in).delay);
}

TEST_F(RunTickTest, AHugeSleepInAnAdlibLineSaturatesWithThePacing) {
  platform.AddWindow("Dialog");
  LoadAdlib({"Dialog, , Sleep, 2147483000"});
  EXPECT_EQ(2147483647u, script::RunTick(in).delay);
}

TEST(StepDelay, SaturatesAtBothEndsOfTheIntRange) {
  script::Interp in;
  script::InitInterp(in, 0);
  script::AddStepDelay(in, 2147483647);
  EXPECT_EQ(2147483647, in.step_delay);
  script::AddStepDelay(in, -1);
  EXPECT_EQ(2147483646, in.step_delay);
  in.step_delay = -2147483647;
  script::AddStepDelay(in, -5);
  EXPECT_EQ(-2147483647 - 1, in.step_delay);
  script::AddStepDelay(in, -2147483647 - 1);
  EXPECT_EQ(-2147483647 - 1, in.step_delay);
  script::AddStepDelay(in, 2147483647);
  EXPECT_EQ(-1, in.step_delay);
}

}  // namespace
