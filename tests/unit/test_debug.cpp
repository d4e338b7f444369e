// Tests of the debugging runner's core: where breakpoints move and stop, their
// conditions, hit counts and log messages, stepping through Gosub, the stack,
// a script error as a stop, the "Waiting for" facts and the protocol's requests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/debug_protocol.h"
#include "script/debug_session.h"
#include "script/debug_waiting.h"
#include "script/params.h"
#include "tests/unit/engine_harness.h"

namespace {

using test_engine::Lines;

class DebugTest : public test_engine::InterpTest {
 protected:
  void SetUp() override {
    InterpTest::SetUp();
    host = {this, Now, Sent, ListWindows, Describe};
    script::InitDebugSession(d, &host);
    d.attached = true;
    // Script errors reach the session instead of a box, as in the debugging runner.
    services = platform.services();
    services.show_error = NoteError;
    in.sys = &services;
    current = this;
  }

  static unsigned int Now(void* context) { return static_cast<DebugTest*>(context)->now; }
  static void Sent(void* context, const std::string& message) {
    static_cast<DebugTest*>(context)->sent.push_back(message);
  }
  static void ListWindows(void* context, std::vector<script::WindowFact>* out) {
    *out = static_cast<DebugTest*>(context)->windows;
  }
  static void Describe(void* context, script::WindowHandle window, script::WindowFact* out) {
    for (const script::WindowFact& w : static_cast<DebugTest*>(context)->windows)
      if (w.handle == window) *out = w;
  }
  static void NoteError(void*, int line, const char*, const char* message) {
    script::NoteError(current->d, line, message);
  }

  // A window both the matcher and the window list know.
  void AddWindow(const std::string& title) {
    script::WindowFact fact = {title, "Target", "wintarget.exe", true,
                               fake::Platform::HandleOf(static_cast<int>(windows.size()))};
    windows.push_back(fact);
    platform.AddWindow(title);
  }

  // Ticks until the script stops or ends; the last stopped event, or "".
  std::string RunToStop(int max_ticks = 100) {
    size_t first = sent.size();
    for (int i = 0; i < max_ticks && !d.stopped; ++i) {
      if (script::DebugTick(in, d).stop) break;
      now += 20;
    }
    for (size_t i = sent.size(); i > first; --i)
      if (sent[i - 1].find("\"stopped\"") != std::string::npos) return sent[i - 1];
    return std::string();
  }

  // Sends one request and returns the answer.
  std::string Ask(const std::string& request) {
    script::HandleRequest(in, d, "7\t" + request);
    for (size_t i = sent.size(); i > 0; --i)
      if (sent[i - 1].compare(0, 7, "{\"seq\":") == 0) return sent[i - 1];
    return std::string();
  }

  void Break(const std::string& section, const std::string& entries) {
    Ask("breakpoints\t" + section + "\t" + entries);
  }

  script::DebugHost host;
  script::DebugSession d;
  script::Services services;
  static DebugTest* current;
  unsigned int now = 1000;
  std::vector<std::string> sent;
  std::vector<script::WindowFact> windows;
};

DebugTest* DebugTest::current;

TEST_F(DebugTest, BreakpointsMoveToALineThatRunsStopBeforeItAndLetItRunOnContinue) {
  Load({"Send, a", "Start:", "Send, b", "Send, c"});
  EXPECT_EQ("{\"seq\":7,\"body\":{\"lines\":[3,0]}}",
            Ask("breakpoints\tmain\t2\t\t\t\t9\t\t\t"));  // a label moves on; past the end: none
  Ask("run\t0");
  EXPECT_EQ("{\"event\":\"stopped\",\"reason\":\"breakpoint\",\"section\":\"main\",\"line\":3}",
            RunToStop());
  EXPECT_EQ(Lines({"a"}), Trace());
  for (int i = 0; i < 3; ++i) script::DebugTick(in, d);  // held: nothing runs
  EXPECT_EQ(Lines({"a"}), Trace());
  Ask("continue");
  EXPECT_EQ("", RunToStop());
  EXPECT_EQ(Lines({"a", "b", "c"}), Trace());
  EXPECT_EQ("{\"event\":\"ended\"}", sent.back());
}

TEST_F(DebugTest, AnAdlibBreakpointStopsBeforeItsCommandRunsOnlyWhenItsWindowExists) {
  Load({"Send, one", "Send, two"});
  LoadAdlib({"Dialog, , Send, adlib"}, 101);
  Break("adlib", "100\t\t\t");  // the marker line before it moves to the Adlib line
  Ask("run\t0");
  script::DebugTick(in, d);
  AddWindow("Dialog");
  EXPECT_EQ("{\"event\":\"stopped\",\"reason\":\"breakpoint\",\"section\":\"adlib\",\"line\":101}",
            RunToStop());
  EXPECT_EQ(Lines({"one"}), Trace());
  Ask("continue");
  script::DebugTick(in, d);
  EXPECT_EQ(Lines({"one", "adlib"}), Trace());
}

TEST_F(DebugTest, StepsIntoOverAndOutOfGosubAndTheStackNamesTheCaller) {
  Load({"Gosub, Sub", "Send, after", "Exit", "Sub:", "Send, in sub", "Return"});
  Ask("run\t1");
  EXPECT_EQ(1, d.stop_line);
  Ask("stepIn");
  EXPECT_NE("", RunToStop());
  EXPECT_EQ(5, d.stop_line);  // the label itself is passed over
  EXPECT_EQ("{\"seq\":7,\"body\":{\"frames\":[{\"name\":\"Send, in sub\",\"section\":\"main\",\"line\":5},"
            "{\"name\":\"Sub\",\"section\":\"main\",\"line\":1}]}}",
            Ask("stack"));
  Ask("stepOut");
  RunToStop();
  EXPECT_EQ(2, d.stop_line);
  EXPECT_EQ(Lines({"in sub"}), Trace());
  // Stepping over a Gosub runs all of it.
  in.pc = in.sections.main.head;
  Ask("breakpoints\tmain\t1\t\t\t");
  Ask("continue");
  RunToStop();
  EXPECT_EQ(1, d.stop_line);
  Ask("next");
  RunToStop();
  EXPECT_EQ(2, d.stop_line);
  EXPECT_EQ(Lines({"in sub", "in sub"}), Trace());
}

TEST_F(DebugTest, ConditionsHitCountsAndLogpointsInTheScriptsOwnTerms) {
  Load({"Repeat, 5", "EnvAdd, COUNT, 1", "Send, %COUNT%", "EndRepeat"});
  Break("main", "2\t\t\tcount was %COUNT%\t3\t%COUNT% = 3\t\t");
  Ask("run\t0");
  RunToStop();
  EXPECT_EQ(3, d.stop_line);
  EXPECT_EQ(Lines({"1", "2"}), Trace());
  EXPECT_EQ("{\"event\":\"output\",\"text\":\"count was 2\\n\"}", sent[sent.size() - 2]);
  std::string stack = Ask("stack");
  EXPECT_NE(std::string::npos, stack.find("{\"name\":\"Repeat 3 of 5\",\"section\":\"main\",\"line\":1}"))
      << stack;
  Break("main", "3\t\t% 2\t");  // every second hit from now on
  Ask("continue");
  RunToStop();
  EXPECT_EQ(Lines({"1", "2", "3", "4"}), Trace());  // hits 1 and 2 of the new one: 4 and 5
  EXPECT_EQ("5", platform.Env("COUNT"));

  EXPECT_TRUE(script::HitConditionHolds("3", 4));
  EXPECT_FALSE(script::HitConditionHolds("= 3", 4));
  EXPECT_TRUE(script::HitConditionHolds("<=3", 3));
  EXPECT_FALSE(script::HitConditionHolds("% 3", 4));
  EXPECT_TRUE(script::HitConditionHolds("soon", 1));  // unreadable: every hit
  std::string error;
  platform.SetEnv("NAME", "Notepad");
  EXPECT_TRUE(script::ConditionHolds(in, "%NAME% = notepad", &error));
  EXPECT_TRUE(script::ConditionHolds(in, "%COUNT% >= 4", &error));
  EXPECT_TRUE(script::ConditionHolds(in, "%COUNT% <> 3", &error));
  EXPECT_FALSE(script::ConditionHolds(in, "%UNSET%", &error));
  EXPECT_FALSE(script::ConditionHolds(in, "%COUNT = 3", &error));
  EXPECT_EQ(script::kBadReference, error);
}

TEST_F(DebugTest, AScriptErrorStopsAsAnExceptionAndContinuingEndsTheScript) {
  Load({"Send, a", "Bogus, x", "Send, never"});
  Ask("run\t0");
  EXPECT_EQ("{\"event\":\"stopped\",\"reason\":\"exception\",\"section\":\"main\",\"line\":2,"
            "\"text\":\"Error: Invalid command!\"}",
            RunToStop());
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  Ask("continue");
  EXPECT_TRUE(script::DebugTick(in, d).stop);
  EXPECT_EQ(Lines({"a"}), Trace());
}

TEST_F(DebugTest, APausedWaitShowsItsPatternTheMatchAndTheClosestTitles) {
  AddWindow("Kestro Targex");
  AddWindow("Other");
  Load({"WinWait, Kestro Target, , 10", "Send, done"});
  Ask("run\t0");
  for (int i = 0; i < 5; ++i) script::DebugTick(in, d);
  now += 3200;
  Ask("pause");
  EXPECT_EQ(1, d.stop_line);
  EXPECT_NE(std::string::npos,
            Ask("stack").find("\"name\":\"WinWait, Kestro Target \\u2014 3.2 s of 10 s\""));
  script::NamedValues facts = script::WaitingFor(in, d);
  std::string all;
  for (const auto& fact : facts) all += fact.first + "=" + fact.second + ";";
  EXPECT_NE(std::string::npos, all.find("Title=Kestro Target;Text=;Match mode=1 (title starts with);"));
  EXPECT_NE(std::string::npos, all.find("Matches now=no;"));
  EXPECT_NE(std::string::npos,
            all.find("Closest 1=\"Kestro Targex\" (class Target, wintarget.exe) (1 character off);"))
      << all;
  AddWindow("Kestro Target");
  facts = script::WaitingFor(in, d);
  EXPECT_EQ("yes: \"Kestro Target\" (class Target, wintarget.exe)", facts[6].second);
  Ask("continue");
  RunToStop();
  EXPECT_EQ(Lines({"done"}), Trace());

  EXPECT_EQ(0, script::TitleDistance("Untitled", "Untitled - Notepad", 1));
  EXPECT_EQ(1, script::TitleDistance("Notepad", "Untitled - Notepaf", 2));
  EXPECT_EQ(2, script::TitleDistance("abc", "a", 3));
}

TEST_F(DebugTest, VariablesAreReadSetAndEvaluatedAsTheRunnerDoes) {
  Load({"SetEnv, Greeting, hi", "Send, %Who% and %ERRORLEVEL%", "Send, %Greeting%"});
  platform.SetEnv("Who", "me");
  Ask("run\t1");
  EXPECT_EQ("{\"seq\":7,\"body\":{\"variables\":[{\"name\":\"Greeting\",\"value\":\"\"},"
            "{\"name\":\"Who\",\"value\":\"me\"}]}}",
            Ask("variables\tscript"));
  EXPECT_EQ("{\"seq\":7,\"body\":{\"value\":\"a\\tb\"}}", Ask("set\tWho\ta\\tb"));
  EXPECT_EQ("{\"seq\":7,\"body\":{\"result\":\"a\\tb!\"}}", Ask("evaluate\t%Who%!"));
  EXPECT_EQ("{\"seq\":7,\"body\":{\"result\":\"a\\tb\"}}", Ask("evaluate\tWho"));
  EXPECT_EQ("{\"seq\":7,\"error\":\"Incorrectly formatted ENV string!\"}", Ask("evaluate\t%Who"));
  EXPECT_NE(std::string::npos, Ask("variables\tsettings").find("{\"name\":\"Window delay\",\"value\":\"500 ms\"}"));
  EXPECT_EQ("{\"seq\":7,\"error\":\"Unknown request: fly\"}", Ask("fly"));
  EXPECT_TRUE(script::HandleRequest(in, d, "8\tcontinue"));
  RunToStop();
  EXPECT_EQ(Lines({"a\tb and", "hi"}), Trace());
  EXPECT_FALSE(script::HandleRequest(in, d, "9\tquit"));

  EXPECT_EQ(4711, script::ParseDebugPort("/unattended /debug:4711 /p x"));
  EXPECT_EQ(0, script::ParseDebugPort("/p /debug:4711"));
  EXPECT_EQ(0, script::ParseDebugPort("/debug:70000"));
  EXPECT_EQ(0, script::ParseDebugPort("/debug:12x"));
}

}  // namespace
