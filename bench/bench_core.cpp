// Timings of the core's hot paths: loading a script, expanding and splitting a
// line, the statement step's label search, the Adlib walk and the Send scanner.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "script/commands.h"
#include "script/container.h"
#include "script/interp.h"
#include "script/key_scan.h"
#include "script/limits.h"
#include "script/loader.h"
#include "script/params.h"
#include "tests/unit/fake_platform.h"

namespace {

// A runner image carrying a 2000-line script of typical commands.
std::vector<unsigned char> PackedScript(int lines) {
  std::string text;
  char line[128];
  for (int i = 0; i < lines; ++i) {
    switch (i % 4) {
      case 0: snprintf(line, sizeof line, "; step %d\n", i); break;
      case 1: snprintf(line, sizeof line, "WinWaitActive, Untitled - Notepad, , %d\n", i); break;
      case 2: snprintf(line, sizeof line, "Send, line %d{ENTER}\n", i); break;
      default: snprintf(line, sizeof line, "Label%d:\n", i); break;
    }
    text += line;
  }
  std::string head = "MZ\n" + std::string(script::kContainerMarker, script::kContainerMarkerLen) +
                     "\nkestro-script 1\n";
  std::vector<unsigned char> file(head.begin(), head.end());
  file.insert(file.end(), text.begin(), text.end());
  script::EncodeBytes(&file[head.size()], text.size());
  return file;
}

void BM_LoadScript(benchmark::State& state) {
  std::vector<unsigned char> file = PackedScript(2000);
  for (auto _ : state) {
    script::Sections sections;
    memset(&sections, 0, sizeof sections);
    script::LoadScript(file.data(), file.size(), &sections);
    benchmark::DoNotOptimize(sections.main.head);
    script::FreeSection(&sections.main);
    script::FreeSection(&sections.adlib);
  }
  state.SetBytesProcessed(state.iterations() * (int64_t)file.size());
}
BENCHMARK(BM_LoadScript);

// One line with three references, expanded and read field by field as a
// handler would.
void BM_ExpandAndSplit(benchmark::State& state) {
  fake::Platform platform;
  platform.SetEnv("TITLE", "Untitled - Notepad");
  platform.SetEnv("X", "120");
  platform.SetEnv("TEXT", "Save changes, then close?");
  const char kLine[] = "WinMove, %TITLE%, %TEXT%, %X%, 0, default, 400";
  char line[script::kBufSize];
  char field[script::kBufSize];
  for (auto _ : state) {
    memcpy(line, kLine, sizeof kLine);
    script::ExpandVariables(platform.services(), line);
    int cursor = 0;
    while (!script::SplitField(',', line, &cursor, field)) benchmark::DoNotOptimize(field);
  }
}
BENCHMARK(BM_ExpandAndSplit);

// A 1000-line script whose loop jumps to labels at the bottom, so most Goto
// and Gosub lines walk the whole list for their label.
void BM_StatementStepLabelSearch(benchmark::State& state) {
  fake::Platform platform;
  // The interpreter is large; keep it off the benchmark's stack.
  std::unique_ptr<script::Interp> owner(new script::Interp);
  script::Interp& in = *owner;
  script::InitInterp(in, &platform.services());
  script::InstallCoreCommands(in);
  script::Section* main = &in.sections.main;
  const int kLines = 1000;
  char text[64];
  script::AppendLine(main, 1, "Start:");
  script::AppendLine(main, 2, "Gosub, Sub");
  script::AppendLine(main, 3, "Goto, Bottom");
  for (int n = 4; n <= kLines - 4; ++n) {
    snprintf(text, sizeof text, "Send, filler %d", n);
    script::AppendLine(main, n, text);
  }
  script::AppendLine(main, kLines - 3, "Bottom:");
  script::AppendLine(main, kLines - 2, "Goto, Start");
  script::AppendLine(main, kLines - 1, "Sub:");
  script::AppendLine(main, kLines, "Return");
  // A jump resumes after its label, so the steps cycle Gosub (long search),
  // Return, Goto (long search) and Goto (short search).
  in.pc = main->head;
  for (auto _ : state) {
    script::StatementStep(in);
    in.step_delay = 20;
    if (in.wait_state != script::kRunning) {
      state.SkipWithError("the loop stopped");
      break;
    }
  }
  script::FreeInterp(in);
}
BENCHMARK(BM_StatementStepLabelSearch);

// The Adlib walk on a tick where none of its 20 lines finds a window: every
// line is copied, expanded, split and matched, as on most ticks of a script
// that guards against dialogs.
void BM_AdlibWalkWithoutAMatch(benchmark::State& state) {
  fake::Platform platform;
  platform.SetEnv("APP", "Untitled - Notepad");
  platform.AddWindow("Untitled - Notepad", "Body text");
  std::unique_ptr<script::Interp> owner(new script::Interp);
  script::Interp& in = *owner;
  script::InitInterp(in, &platform.services());
  script::InstallCoreCommands(in);
  char text[96];
  for (int n = 1; n <= 20; ++n) {
    snprintf(text, sizeof text, "Dialog %d, %%APP%% asks, Send, {ENTER}", n);
    script::AppendLine(&in.sections.adlib, 100 + n, text);
  }
  for (auto _ : state) benchmark::DoNotOptimize(script::AdlibWalk(in));
  state.counters["lines"] = benchmark::Counter(20.0 * static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
  script::FreeInterp(in);
}
BENCHMARK(BM_AdlibWalkWithoutAMatch);

// One run-timer tick per line over a loop of SetEnv lines, as the runner
// takes them: the tick's arithmetic, the statement step, expansion, dispatch
// and the handler. tools/bench.sh reports it as the engine's cost per line.
void BM_RunTickPerLine(benchmark::State& state) {
  fake::Platform platform;
  std::unique_ptr<script::Interp> owner(new script::Interp);
  script::Interp& in = *owner;
  script::InitInterp(in, &platform.services());
  script::InstallCoreCommands(in);
  script::Section* main = &in.sections.main;
  char text[64];
  script::AppendLine(main, 1, "Start:");
  for (int n = 2; n < 100; ++n) {
    snprintf(text, sizeof text, "SetEnv, BENCH%d, value of line %d", n % 10, n);
    script::AppendLine(main, n, text);
  }
  script::AppendLine(main, 100, "Goto, Start");
  in.pc = main->head;
  for (auto _ : state) {
    script::TickResult tick = script::RunTick(in);
    benchmark::DoNotOptimize(tick);
    if (tick.stop) {
      state.SkipWithError("the loop stopped");
      break;
    }
  }
  script::FreeInterp(in);
}
BENCHMARK(BM_RunTickPerLine);

int LayoutKeyForChar(void*, unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if (c >= 'A' && c <= 'Z') return 0x100 | c;
  if (c >= '0' && c <= '9') return c;
  if (c == ' ') return 0x20;
  if (c == ',') return 0xBC;
  if (c == '.') return 0xBE;
  return 0xFFFF;
}
int LayoutScanForKey(void*, int vk) { return vk; }
int LayoutScanForChar(void*, unsigned char c) { return c; }
void CountEvent(void* context, int, int, int) { ++*static_cast<long*>(context); }

// A 200-character Send text: words, capitals, prefixes and named keys.
void BM_SendKeys(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 5; ++i) text += "Thanks, Bob.{ENTER}^s+{TAB 2}{DEL}Ok no ";  // 40 each
  long events = 0;
  // An ANSI Send: the code-point queries stay unused.
  script::Keyboard kb = {&events, LayoutKeyForChar, LayoutScanForKey, LayoutScanForChar, CountEvent,
                         0,       0,                0};
  for (auto _ : state) script::SendKeys(kb, text.c_str());
  state.counters["events"] = benchmark::Counter((double)events, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SendKeys);

}  // namespace

BENCHMARK_MAIN();
