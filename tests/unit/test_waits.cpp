// Tests of the window waits and conditions, RunWait's poller and the message
// box's answer, as the runner runs them, over a fake desktop and fake processes.
#include <gtest/gtest.h>

#include <string>

#include "script/accessible_text.h"
#include "script/interp.h"
#include "tests/unit/engine_harness.h"
#include "tests/unit/fake_platform.h"

namespace {

using test_engine::Lines;

typedef test_engine::InterpTest WaitTest;

// The desktops every wait and condition is tried on: what matches "Notepad",
// and which window is in front (on the last, none: no match may pass for the
// window in front).
enum Desktop {
  kNoMatch,
  kMatchBehind,
  kMatchInFront,
  kSecondMatchInFront,
  kNothingInFront,
  kDesktops
};

void Lay(fake::Platform& platform, Desktop desktop) {
  platform.CloseWindows();
  platform.AddWindow("Other");
  if (desktop == kNoMatch || desktop == kNothingInFront) {
    platform.SetForeground(desktop == kNoMatch ? 0 : -1);
    return;
  }
  platform.AddWindow("Notepad - a.txt");
  if (desktop == kSecondMatchInFront) platform.AddWindow("Notepad - b.txt");
  platform.SetForeground(desktop == kMatchBehind ? 0 : desktop == kMatchInFront ? 1 : 2);
}

struct Expectation {
  const char* command;
  bool holds[kDesktops];  // a wait ends, a condition runs its tail
};

// Only the first matching window counts, so the second one in front leaves
// the match inactive; WinWaitNotActive goes on waiting while nothing matches.
const Expectation kWaits[] = {
    {"WinWait", {false, true, true, true, false}},
    {"WinWaitActive", {false, false, true, false, false}},
    {"WinWaitClose", {true, false, false, false, true}},
    {"WinWaitNotActive", {false, true, false, true, false}},
};

const Expectation kConditions[] = {
    {"IfWinExist", {false, true, true, true, false}},
    {"IfWinNotExist", {true, false, false, false, true}},
    {"IfWinActive", {false, false, true, false, false}},
    {"IfWinNotActive", {true, true, false, true, true}},
};

TEST_F(WaitTest, EachWaitEndsWhenItsConditionHoldsAndAddsTheWindowDelay) {
  in.win_delay = 300;
  for (const Expectation& e : kWaits) {
    for (int d = 0; d < kDesktops; ++d) {
      SCOPED_TRACE(std::string(e.command) + " on desktop " + std::to_string(d));
      script::FreeInterp(in);
      script::InitInterp(in, &platform.services());
      script::InstallCoreCommands(in);
      in.win_delay = 300;
      Load({std::string(e.command) + ", Notepad, , 0"});  // a timeout of 0 is none
      Lay(platform, static_cast<Desktop>(d));
      script::RunTick(in);  // the command only enters the wait
      script::TickResult poll = script::RunTick(in);
      EXPECT_EQ(e.holds[d], in.wait_state == script::kRunning);
      EXPECT_EQ(e.holds[d] ? 320u : 20u, poll.delay);
      EXPECT_EQ("0", platform.Env("ERRORLEVEL"));
      EXPECT_TRUE(platform.ArmedTimers().empty());
      EXPECT_FALSE(in.timeout_armed);
    }
  }
}

TEST_F(WaitTest, EachConditionRunsItsTailWhenItHolds) {
  for (const Expectation& e : kConditions) {
    for (int d = 0; d < kDesktops; ++d) {
      SCOPED_TRACE(std::string(e.command) + " on desktop " + std::to_string(d));
      platform.SetEnv("RAN", "");
      script::FreeInterp(in);
      script::InitInterp(in, &platform.services());
      script::InstallCoreCommands(in);
      Load({std::string(e.command) + ", Notepad, , SetEnv, RAN, yes"});
      Lay(platform, static_cast<Desktop>(d));
      Run();
      EXPECT_EQ(e.holds[d] ? "yes" : "", platform.Env("RAN"));
      EXPECT_STREQ("Notepad", in.match.title);  // the condition's pattern is the current one
      EXPECT_EQ(20, in.step_delay);             // conditions add no window delay
    }
  }
}

// RunWait, program   e.g.  RunWait, setup.exe
// Starts a fake program in place of the host's CreateProcess.
bool StartFakeProgram(script::Interp& in, script::Fields&) {
  script::BeginRunWait(in, fake::Of(in).StartProcess());
  return true;
}

TEST_F(WaitTest, RunWaitEndsWithTheExitCodeOfItsProgramWhateverTheCode) {
  const int codes[] = {3, 259, static_cast<int>(0xC0000005u)};
  const char* words[] = {"3", "259", "-1073741819"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(words[i]);
    script::SetHandler(in, script::CMD_RUNWAIT, StartFakeProgram);
    Load({"RunWait, child.exe", "Send, after"});
    script::RunTick(in);
    script::ProcessHandle child = in.run_wait_process;
    ASSERT_NE(static_cast<script::ProcessHandle>(0), child);
    for (int tick = 0; tick < 3; ++tick) EXPECT_FALSE(script::RunTick(in).stepped);
    EXPECT_EQ(script::kWaitRun, in.wait_state);
    platform.EndProcess(child, codes[i]);
    EXPECT_EQ(20u, script::RunTick(in).delay);  // no window delay
    EXPECT_EQ(script::kRunning, in.wait_state);
    EXPECT_EQ(words[i], platform.Env("ERRORLEVEL"));
    EXPECT_FALSE(platform.ProcessHeld(child));
    script::FreeInterp(in);
    script::InitInterp(in, &platform.services());
    script::InstallCoreCommands(in);
  }
}

TEST_F(WaitTest, ARunWaitOfTheAdlibSectionReplacesTheOneWaitingAndNothingIsHeldAtExit) {
  script::SetHandler(in, script::CMD_RUNWAIT, StartFakeProgram);
  LoadAdlib({"Dialog, , RunWait, fix.exe"});
  Load({"RunWait, long.exe"});
  script::RunTick(in);
  script::ProcessHandle first = in.run_wait_process;
  platform.AddWindow("Dialog");
  script::RunTick(in);
  script::ProcessHandle second = in.run_wait_process;
  EXPECT_NE(first, second);
  EXPECT_FALSE(platform.ProcessHeld(first));
  EXPECT_TRUE(platform.ProcessHeld(second));
  script::FreeInterp(in);
  EXPECT_FALSE(platform.ProcessHeld(second));
  script::InitInterp(in, &platform.services());
  script::InstallCoreCommands(in);
  // An Adlib line that enters another wait gives the program up at once.
  script::SetHandler(in, script::CMD_RUNWAIT, StartFakeProgram);
  LoadAdlib({"Dialog, , WinWait, Other"});
  Load({"RunWait, long.exe"});
  platform.CloseWindows();
  script::RunTick(in);
  script::ProcessHandle given_up = in.run_wait_process;
  platform.AddWindow("Dialog");
  script::RunTick(in);
  EXPECT_EQ(script::kWaitWin, in.wait_state);
  EXPECT_FALSE(platform.ProcessHeld(given_up));
  EXPECT_EQ(static_cast<script::ProcessHandle>(0), in.run_wait_process);
}

TEST_F(WaitTest, IfMsgBoxRunsItsTailForTheButtonThatClosedTheLastBox) {
  platform.QueueButton(script::kBoxYes);
  platform.QueueButton(0);  // a result outside the seven buttons
  Load({"IfMsgBox, YES, Send, before any box",
        "MsgBox, 4, Question, Continue?, really",
        "IfMsgBox, yes, Send, yes",
        "IfMsgBox, No, Send, no",
        "MsgBox, 0, Title, text",
        "IfMsgBox, OK, Send, ok",
        "IfMsgBox, , Send, empty word"});
  Run();
  EXPECT_EQ(Lines({"yes", "empty word"}), Trace());
  ASSERT_EQ(2u, platform.MessageBoxes().size());
  EXPECT_EQ("Question", platform.MessageBoxes()[0].title);
  EXPECT_EQ("Continue?, really", platform.MessageBoxes()[0].text);
  EXPECT_EQ(4u, platform.MessageBoxes()[0].flags);
}

// Send, text   e.g.  Send, x
// Records how many path searches are open while it runs.
bool RecordSearches(script::Interp& in, script::Fields&) {
  fake::Of(in).Record(std::to_string(fake::Of(in).OpenSearches()) + " open");
  return true;
}

TEST_F(WaitTest, PathConditionsRunTheirTailWhileTheSearchIsOpen) {
  script::SetHandler(in, script::CMD_SEND, RecordSearches);
  platform.AddPath("C:\\Temp\\a.txt");
  Load({"IfExist, C:\\\\Temp\\\\a.txt, Send",
        "IfNotExist, C:\\\\Temp\\\\a.txt, Send",
        "IfExist, C:\\\\Temp\\\\b.txt, Send",
        "IfNotExist, C:\\\\Temp\\\\b.txt, Send"});
  Run();
  EXPECT_EQ(Lines({"1 open", "0 open"}), Trace());
  EXPECT_EQ(0, platform.OpenSearches());
}

// A waited-for window's accessible elements: walked at once when it has no
// answer, waited for a short while, then matched by its last answer until a
// walk is due again (later for a slower walk); a walk that hangs is waited
// for once. The clock wraps around in the middle.
TEST(AccessibleWalkTest, PlansWalksByTheLastAnswerAndTheCostOfTheWalk) {
  using namespace script;
  const unsigned t = 0xFFFFFF00u;
  AccessibleWalkState s = {false, false, 0, 0};
  unsigned wait = 1;
  EXPECT_EQ(kAccessibleStartWalk, PlanAccessibleMatch(s, t, &wait));
  EXPECT_EQ(kAccessibleAnswerWaitMs, wait);
  AccessibleWalkStarted(&s, t);
  EXPECT_EQ(kAccessibleAwaitWalk, PlanAccessibleMatch(s, t + 50, &wait));
  EXPECT_EQ(kAccessibleAnswerWaitMs - 50, wait);
  EXPECT_EQ(kAccessibleUseLastAnswer, PlanAccessibleMatch(s, t + kAccessibleAnswerWaitMs, &wait));
  EXPECT_EQ(0u, wait);
  AccessibleWalkEnded(&s, t + 400);  // 400 ms: rests as long again
  EXPECT_TRUE(s.answered);
  EXPECT_EQ(kAccessibleUseLastAnswer, PlanAccessibleMatch(s, t + 400 + 400 * kAccessibleRestFactor - 1, &wait));
  EXPECT_EQ(kAccessibleStartWalk, PlanAccessibleMatch(s, t + 400 + 400 * kAccessibleRestFactor, &wait));
  AccessibleWalkStarted(&s, t + 2000);
  AccessibleWalkEnded(&s, t + 2000 + 5 * kAccessibleMaxWalkMs);  // rests no longer than a full walk
  EXPECT_EQ(kAccessibleStartWalk,
            PlanAccessibleMatch(s, t + 2000 + (5 + kAccessibleRestFactor) * kAccessibleMaxWalkMs, &wait));
}

// An answer keeps names and values apart: a text is found inside one of
// them, never across two; hidden ones count only when asked; an empty text
// is left out and one that does not fit leaves the answer as it was.
TEST(AccessibleWalkTest, AnswersHoldTextsOneByOne) {
  using namespace script;
  char answer[48];
  int used = 0;
  AccessibleText button = {false, false, 0x2B, "Save changes"};
  AccessibleText value = {true, false, 999, "1234.50"};
  AccessibleText note = {false, true, -3, "Hidden"};
  AccessibleText empty = {false, false, 0, ""};
  used = AppendAccessibleText(answer, used, sizeof(answer), button);
  used = AppendAccessibleText(answer, used, sizeof(answer), value);
  used = AppendAccessibleText(answer, used, sizeof(answer), empty);
  used = AppendAccessibleText(answer, used, sizeof(answer), note);
  ASSERT_EQ(15 + 10 + 9, used);
  EXPECT_EQ(-1, AppendAccessibleText(answer, used, sizeof(answer), button));
  EXPECT_TRUE(AccessibleAnswerHolds(answer, used, "changes", false));
  EXPECT_TRUE(AccessibleAnswerHolds(answer, used, "34.5", false));
  EXPECT_FALSE(AccessibleAnswerHolds(answer, used, "changes1234", false));
  EXPECT_FALSE(AccessibleAnswerHolds(answer, used, "save", false));
  EXPECT_FALSE(AccessibleAnswerHolds(answer, used, "Hidden", false));
  EXPECT_TRUE(AccessibleAnswerHolds(answer, used, "Hidden", true));
  std::string seen;
  AccessibleText e;
  for (int pos = 0; (pos = NextAccessibleText(answer, used, pos, &e)) >= 0;)
    seen += std::string(e.value ? "v" : "n") + (e.hidden ? "h" : "") + std::to_string(e.role) + ":" + e.text + ";";
  EXPECT_EQ("n43:Save changes;v254:1234.50;nh0:Hidden;", seen);
}

}  // namespace

