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
  Load({"WinWait, Notepad", "Send, after"});
  script::RunTick(in);
  ASSERT_EQ(script::kWaitWin, in.wait_state);
  EXPECT_EQ(0, platform.FindCalls());  // the first poll comes at the next tick
  for (int i = 0; i < 3; ++i) {
    script::TickResult tick = script::RunTick(in);
    EXPECT_FALSE(tick.stepped);
    EXPECT_EQ(20u, tick.delay);
  }
  EXPECT_EQ(3, platform.FindCalls());
  EXPECT_EQ("Notepad", platform.MatchRequests().back().title);
  platform.AddWindow("Notepad - file.txt");
  EXPECT_EQ(520u, script::RunTick(in).delay);  // the poll that ends the wait adds the window delay
  EXPECT_EQ(script::kRunning, in.wait_state);
  EXPECT_TRUE(script::RunTick(in).stepped);
  EXPECT_EQ(Lines({"after"}), Trace());
}

TEST_F(RunTickTest, PollersAreCalledByTheirOwnWaitStateOnly) {
  script::SetPoller(in, script::kWaitWin, 0);
  Load({"WinWait, Notepad"});
  script::RunTick(in);
  script::TickResult tick = script::RunTick(in);  // kWaitWin has no poller now: nothing happens
  EXPECT_FALSE(tick.stop);
  EXPECT_FALSE(tick.stepped);
  EXPECT_EQ(20u, tick.delay);
  EXPECT_EQ(0, platform.FindCalls());
  EXPECT_EQ(script::kWaitWin, in.wait_state);
}

TEST_F(RunTickTest, TheWaitTimeoutReachesThePoller) {
  Load({"WinWait, Notepad, , 3", "Send, next"});
  script::RunTick(in);
  EXPECT_EQ(std::vector<unsigned int>({3000u}), platform.ArmedTimers());
  script::RunTick(in);
  EXPECT_EQ(script::kWaitWin, in.wait_state);
  EXPECT_EQ("0", platform.Env("ERRORLEVEL"));
  script::OnWaitTimeout(in);
  EXPECT_TRUE(in.timeout_expired);
  platform.AddWindow("Notepad");  // too late: the timeout is checked first
  EXPECT_EQ(20u, script::RunTick(in).delay);
  EXPECT_EQ(script::kRunning, in.wait_state);
  EXPECT_EQ("1", platform.Env("ERRORLEVEL"));
  EXPECT_FALSE(in.timeout_armed || in.timeout_expired);
  EXPECT_TRUE(script::RunTick(in).stepped);
  EXPECT_EQ(Lines({"next"}), Trace());
}

TEST_F(RunTickTest, AnAdlibActionTakesTheTickFromTheWait) {
  LoadAdlib({"Dialog, , Send, adlib"});
  Load({"WinWait, Notepad"});
  script::RunTick(in);
  platform.AddWindow("Dialog");
  int asked = platform.FindCalls();
  script::TickResult tick = script::RunTick(in);
  EXPECT_FALSE(tick.stepped);
  EXPECT_EQ(2020u, tick.delay);
  EXPECT_EQ(Lines({"adlib"}), Trace());
  EXPECT_EQ(asked + 1, platform.FindCalls());  // the walk asked; the poller did not
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

TEST_F(RunTickTest, FindingTheEndOfTheScriptRunsNoLineSoTheStopComesAtOnce) {
  Load({"Send, a"});
  EXPECT_EQ(20u, script::RunTick(in).delay);
  script::TickResult tick = script::RunTick(in);  // no line left
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_EQ(0u, tick.delay);
  EXPECT_TRUE(script::RunTick(in).stop);
}

TEST_F(RunTickTest, ExitIsALineAndKeepsItsStepDelay) {
  Load({"Exit", "Send, never"});
  script::TickResult tick = script::RunTick(in);
  EXPECT_EQ(script::kStopping, in.wait_state);
  EXPECT_EQ(20u, tick.delay);
}

TEST_F(RunTickTest, AWaitSetsErrorLevelOnceUntilALineOrAnAdlibActionRuns) {
  LoadAdlib({"Dialog, , SetEnv, ERRORLEVEL, 7"});
  Load({"WinWait, Notepad"});
  script::RunTick(in);
  script::RunTick(in);
  EXPECT_EQ("0", platform.Env("ERRORLEVEL"));
  platform.SetEnv("ERRORLEVEL", "untouched");  // nothing of the script's own wrote this
  script::RunTick(in);
  EXPECT_EQ("untouched", platform.Env("ERRORLEVEL"));  // the poll wrote nothing again
  platform.AddWindow("Dialog");
  script::RunTick(in);  // the Adlib action sets 7
  EXPECT_EQ("7", platform.Env("ERRORLEVEL"));
  platform.CloseWindows();
  script::RunTick(in);
  EXPECT_EQ("0", platform.Env("ERRORLEVEL"));
}

// The run timer's plan: simulated ticks that come `late` ms after the timer
// was due and whose work takes `work` ms.
struct TimerSim {
  script::RunSchedule schedule;
  unsigned int clock;    // now
  unsigned int fires;    // when the armed timer fires next
  unsigned int arms;     // SetTimer calls
  std::vector<unsigned int> starts;

  explicit TimerSim(unsigned int start) : clock(start), fires(start), arms(0) {
    script::StartSchedule(schedule);
  }
  // One tick: returns the plan made at its end.
  script::TimerPlan Tick(bool stepped, unsigned int delay, unsigned int late, unsigned int work,
                         bool acted = false) {
    clock = fires + late;
    unsigned int started = clock;
    starts.push_back(started);
    clock += work;
    script::TickResult result = {false, stepped, delay, acted};
    script::TimerPlan plan = script::PlanNextTick(schedule, started, clock, result);
    if (plan.arm) {
      ++arms;
      fires = clock + plan.ms;
    } else {
      fires += schedule.period;  // a periodic timer keeps its pace
    }
    return plan;
  }
};

TEST(RunSchedule, LinesKeepTheirPaceWhateverTheWorkAndTheTimersLatenessTake) {
  TimerSim sim(1000);
  for (int i = 0; i < 5000; ++i) sim.Tick(true, 20, 2, 1 + i % 3);
  // The first line set the schedule off when it ran (at 1002); every later one
  // ran 2 ms after it was due, and was due 20 ms after the one before.
  EXPECT_EQ(1002u + 4999u * 20u + 2u, sim.starts.back());
  for (size_t i = 2; i < sim.starts.size(); ++i) EXPECT_EQ(20u, sim.starts[i] - sim.starts[i - 1]);
}

TEST(RunSchedule, ALineIsNeverDueBeforeTheStepDelayAfterTheOneBefore) {
  TimerSim sim(500);
  sim.Tick(true, 20, 0, 0);
  sim.Tick(true, 20, 15, 1);  // late by 15: the next is still due at 540
  script::TimerPlan plan = sim.Tick(true, 20, 0, 0);
  EXPECT_EQ(540u, sim.starts.back());
  EXPECT_EQ(20u, plan.ms);
}

TEST(RunSchedule, SleepAndWindowDelaysAreAddedToTheDeadline) {
  TimerSim sim(0);
  sim.Tick(true, 120, 0, 3);  // Sleep, 100
  sim.Tick(true, 520, 1, 4);  // a window command: 500 more
  sim.Tick(true, 20, 1, 0);
  EXPECT_EQ(std::vector<unsigned int>({0u, 121u, 641u}), sim.starts);
}

TEST(RunSchedule, ALineThatOverranItsDelayWaitsTheWholeDelayFromItsEnd) {
  TimerSim sim(0);
  script::TimerPlan plan = sim.Tick(true, 20, 0, 5000);  // a message box
  EXPECT_TRUE(plan.arm);
  EXPECT_EQ(20u, plan.ms);
  plan = sim.Tick(true, 0, 0, 1);  // Sleep, -20: at once
  EXPECT_EQ(0u, plan.ms);
}

TEST(RunSchedule, TheWindowDelayCountsFromTheEndOfASlowWindowCommand) {
  script::RunSchedule s;
  script::StartSchedule(s);
  script::TickResult activate = {false, true, 520, false};  // 20 ms step + 500 ms window delay
  // A WinActivate that waited 400 ms for the foreground still leaves the whole
  // window delay (and the step) before the next line.
  EXPECT_EQ(520u, script::PlanNextTick(s, 1000, 1400, activate).ms);
  // A quick one keeps the line's pace: due 520 ms after the tick was due.
  script::TimerPlan plan = script::PlanNextTick(s, 1920, 1925, activate);
  EXPECT_EQ(515u, plan.ms);
  EXPECT_EQ(2440u, s.due);
}

TEST(RunSchedule, ATickThatComesEarlyByTheClockWaitsNoMoreThanItsDelay) {
  script::RunSchedule s;
  script::StartSchedule(s);
  script::TickResult line = {false, true, 20, false};
  script::PlanNextTick(s, 100, 100, line);  // due at 120
  script::TimerPlan plan = script::PlanNextTick(s, 119, 119, line);
  EXPECT_EQ(20u, plan.ms);
  EXPECT_EQ(139u, s.due);
}

TEST(RunSchedule, AWaitLeavesATimerOfItsPaceRunning) {
  TimerSim sim(0);
  sim.Tick(true, 20, 1, 1);  // WinWait: due at 20, armed with 18
  script::TimerPlan plan = sim.Tick(false, 20, 1, 2);  // the first poll
  EXPECT_TRUE(plan.arm);
  EXPECT_EQ(20u, plan.ms);
  unsigned int arms = sim.arms;
  for (int i = 0; i < 1000; ++i) EXPECT_FALSE(sim.Tick(false, 20, 1, 2).arm);
  EXPECT_EQ(arms, sim.arms);
  // The poll that ends the wait adds the window delay: the next line is due
  // that long after the poll began.
  plan = sim.Tick(false, 520, 1, 2);
  EXPECT_TRUE(plan.arm);
  EXPECT_EQ(520u, plan.ms);
  plan = sim.Tick(true, 20, 0, 0);
  EXPECT_EQ(20u, plan.ms);
}

TEST(RunSchedule, BackToBackAdlibActionsEachWaitTheirWholeDelayAfterTheirWork) {
  // Two slow Adlib actions in a row, each 400 ms of work with the window delay
  // 500: 20 + 500 + 2000 ms after each one's end, though the timer already
  // runs at that period when the second one ends.
  TimerSim sim(1000);
  script::TimerPlan plan = sim.Tick(false, 2520, 0, 400, true);
  EXPECT_EQ(2520u, plan.ms);
  plan = sim.Tick(false, 2520, 0, 400, true);
  EXPECT_TRUE(plan.arm);
  EXPECT_EQ(3920u, sim.starts.back());
  EXPECT_EQ(4320u + 2520u, sim.fires);
  // The polls that follow keep the 20 ms pace without a timer call each.
  sim.Tick(false, 20, 0, 1);
  EXPECT_FALSE(sim.Tick(false, 20, 0, 1).arm);
}

TEST(RunSchedule, AStoppedTimerIsArmedAgainByTheNextTick) {
  script::RunSchedule s;
  script::StartSchedule(s);
  script::TickResult poll = {false, false, 20, false};
  EXPECT_TRUE(script::PlanNextTick(s, 0, 1, poll).arm);
  EXPECT_FALSE(script::PlanNextTick(s, 20, 21, poll).arm);
  script::StopSchedule(s);  // a box's message loop delivered a tick
  script::TimerPlan plan = script::PlanNextTick(s, 40, 41, poll);
  EXPECT_TRUE(plan.arm);
  EXPECT_EQ(20u, plan.ms);
}

TEST(RunSchedule, TheClockMayWrapAround) {
  TimerSim sim(0xFFFFFFF0u);
  for (int i = 0; i < 4; ++i) sim.Tick(true, 20, 2, 1);
  EXPECT_EQ(0xFFFFFFF0u + 2u + 60u + 2u, sim.starts.back());
  EXPECT_EQ(20u, sim.starts[2] - sim.starts[1]);
}

TEST(RunSchedule, AHugeSleepArmsNoMoreThanItsDelay) {
  TimerSim sim(5);
  script::TimerPlan plan = sim.Tick(true, 2147483647u, 0, 0);
  EXPECT_EQ(2147483647u, plan.ms);
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
