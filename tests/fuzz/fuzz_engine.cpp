// Fuzz target: a whole script, loaded by the real loader from a container built
// in memory and run tick by tick with the core's own commands (the waits and
// conditions among them) and the Adlib walk, over a changing fake desktop.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "script/commands.h"
#include "script/container.h"
#include "script/interp.h"
#include "script/limits.h"
#include "script/loader.h"
#include "script/text.h"
#include "tests/unit/fake_platform.h"

namespace {

// Goto loops and waits never end on their own. 500 ticks outlast the largest
// allocation budget (255), a wait's timeout (25 polls) and many turns of the
// fake desktop, at a quarter of the cost per input of 2,000.
const int kMaxTicks = 500;
const int kMaxFindCalls = 40000;   // a long Adlib section asks the matcher on every tick
const int kTicksBeforeTimeout = 25;  // an armed wait timeout fires this many ticks later
const int kTicksBeforeExit = 12;     // a started program ends this many ticks later

// Stands in for the platform commands: checks the fields the dispatcher split
// for them.
bool CheckFields(script::Interp&, script::Fields& f) {
  if (f.count < 0 || f.count > script::kMaxFields) abort();
  if (f.count == 0 ? f.given != 0 : (f.given < 1 || f.given > f.count)) abort();
  const char* end = f.store + sizeof f.store;
  for (int i = 0; i < f.count; ++i) {
    if (f.at[i] < f.store || f.at[i] >= end) abort();
    if (memchr(f.at[i], '\0', static_cast<size_t>(end - f.at[i])) == 0) abort();
  }
  if (*f.cursor < 0 || *f.cursor > static_cast<int>(strlen(f.line))) abort();
  return true;
}

// The programs started, and when each ends.
struct Program {
  script::ProcessHandle process;
  int ends_at;
};
std::vector<Program> g_programs;
std::vector<int> g_timeouts;  // ticks at which an armed wait timeout fires
int g_tick;

// RunWait, program   e.g.  RunWait, setup.exe
// Starts a fake program in place of CreateProcess; the core waits for it.
bool StartProgram(script::Interp& in, script::Fields& f) {
  CheckFields(in, f);
  Program p = {fake::Of(in).StartProcess(), g_tick + kTicksBeforeExit};
  g_programs.push_back(p);
  script::BeginRunWait(in, p.process);
  return true;
}

// Every command is checked; the core's own (flow, variables, the window and
// path conditions, the waits, MsgBox and IfMsgBox) run as in the runner.
void InstallHandlers(script::Interp& in) {
  for (int i = 0; i < script::CMD_COUNT; ++i) script::SetHandler(in, i, CheckFields);
  script::SetHandler(in, script::CMD_EXESCRIPT, 0);
  script::SetHandler(in, script::CMD_QUIT, 0);
  script::InstallCoreCommands(in);
  script::SetHandler(in, script::CMD_RUNWAIT, StartProgram);
}

// True when line is null or one of the main section's lines.
bool InMain(const script::Interp& in, const script::ScriptLine* line) {
  if (line == 0) return true;
  for (const script::ScriptLine* l = in.sections.main.head; l; l = l->next) {
    if (l == line) return true;
  }
  return false;
}

// A runner image carrying the input as its script. A first line "budget N"
// becomes the container's ignored line (so it is not run) and limits the
// gosub and repeat allocations to N & 255.
std::vector<unsigned char> BuildContainer(const uint8_t* data, size_t size, int* budget) {
  static const char kBudget[] = "budget ";
  const size_t kBudgetLen = sizeof kBudget - 1;
  const uint8_t* end = static_cast<const uint8_t*>(memchr(data, '\n', size));
  size_t first_len = end ? static_cast<size_t>(end - data) : size;
  std::vector<unsigned char> ignored;
  *budget = -1;
  if (first_len >= kBudgetLen && memcmp(data, kBudget, kBudgetLen) == 0) {
    char number[16];
    size_t n = first_len - kBudgetLen < sizeof number - 1 ? first_len - kBudgetLen : sizeof number - 1;
    memcpy(number, data + kBudgetLen, n);
    number[n] = '\0';
    *budget = atoi(number) & 0xFF;
    ignored.assign(data, data + first_len);
    size_t skip = end ? first_len + 1 : first_len;
    data += skip;
    size -= skip;
  } else {
    static const char kIgnored[] = "kestro-script 1";
    ignored.assign(kIgnored, kIgnored + sizeof kIgnored - 1);
  }
  static const char kHead[] = "MZ runner image\n";
  std::vector<unsigned char> file(kHead, kHead + sizeof kHead - 1);
  file.insert(file.end(), script::kContainerMarker, script::kContainerMarker + script::kContainerMarkerLen);
  file.push_back('\n');
  file.insert(file.end(), ignored.begin(), ignored.end());
  file.push_back('\n');
  size_t start = file.size();
  file.insert(file.end(), data, data + size);
  script::EncodeBytes(file.data() + start, size);
  return file;
}

// The fake desktop changes over the ticks, so that an Adlib line acts on some
// ticks and the main section runs on others: Notepad is open for 8 ticks out
// of 16, the Save As dialog on one tick in 7; the window in front changes
// every 5 ticks. Started programs end after a while, and an armed wait
// timeout fires.
void SetDesktop(script::Interp& in, fake::Platform& platform, int tick, int* armed_seen) {
  platform.CloseWindows();
  platform.AddWindow("Program Manager");
  if ((tick / 8) % 2 == 0) platform.AddWindow("Untitled - Notepad", "Body text");
  if (tick % 7 == 3) platform.AddWindow("Save As", "File name:");
  platform.SetForeground((tick / 5) % 3 - 1);
  for (size_t i = 0; i < g_programs.size(); ++i) {
    if (g_programs[i].ends_at == tick) platform.EndProcess(g_programs[i].process, tick % 300);
  }
  int armed = static_cast<int>(platform.ArmedTimers().size());
  if (armed != *armed_seen) {
    *armed_seen = armed;
    g_timeouts.push_back(tick + kTicksBeforeTimeout);
  }
  for (size_t i = 0; i < g_timeouts.size(); ++i) {
    if (g_timeouts[i] == tick) script::OnWaitTimeout(in);
  }
}

// Runs the ticks and checks after each one: the program counter stays in the
// main section, the status text in its bound, an error's stop is final, at
// most two errors are ever shown (one of the main section, one of an Adlib
// line), and an Adlib action leaves the main section's pattern as it was.
void RunAndCheck(script::Interp& in, fake::Platform& platform) {
  int armed_seen = 0;
  for (int tick = 0; tick < kMaxTicks && platform.FindCalls() < kMaxFindCalls; ++tick) {
    g_tick = tick;
    SetDesktop(in, platform, tick, &armed_seen);
    bool was_running = in.wait_state == script::kRunning;
    script::WindowPattern before = in.match;
    script::TickResult result = script::RunTick(in);
    if (result.stop) {
      if (in.wait_state != script::kStopping) abort();
      break;
    }
    if (!InMain(in, in.pc)) abort();
    if (strlen(in.status) > static_cast<size_t>(script::kStatusMax)) abort();
    if (in.halted && in.wait_state != script::kStopping) abort();
    if (platform.ErrorBoxes().size() > 2u) abort();
    if (in.wait_state == script::kWaitRun && in.run_wait_process == 0) abort();
    if (in.step_delay < 0 && result.delay != 0) abort();
    if (was_running && !result.stepped && memcmp(&before, &in.match, sizeof before) != 0) abort();
  }
  for (script::GosubEntry* e = in.gosub; e; e = e->next) {
    if (!InMain(in, e->ret)) abort();
  }
  for (script::RepeatEntry* e = in.repeat; e; e = e->next) {
    if (!InMain(in, e->start)) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static script::Interp in;  // large: kept out of the stack
  fake::Platform platform;
  platform.SetEnv("COMMA", "a,b");
  platform.SetEnv("LABEL", "Start");
  platform.AddPath("C:\\Temp");
  for (int i = 0; i < 4; ++i) platform.QueueButton(script::kBoxYes + i % 2);
  g_programs.clear();
  g_timeouts.clear();

  int budget;
  std::vector<unsigned char> file = BuildContainer(data, size, &budget);
  script::InitInterp(in, &platform.services());
  InstallHandlers(in);
  in.stack_alloc_budget = budget;
  if (script::LoadScript(file.data(), file.size(), &in.sections) != script::kLoadOk) abort();
  in.pc = in.sections.main.head;
  RunAndCheck(in, platform);
  script::FreeInterp(in);
  // Every path search was closed, and every program RunWait waited for let go of.
  if (platform.OpenSearches() != 0) abort();
  for (size_t i = 0; i < g_programs.size(); ++i) {
    if (platform.ProcessHeld(g_programs[i].process)) abort();
  }
  return 0;
}
