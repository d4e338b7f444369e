// Fuzz target: a whole script run through the statement step with the engine's own commands.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "script/commands.h"
#include "script/engine.h"
#include "script/limits.h"
#include "script/loader.h"
#include "script/params.h"
#include "script/text.h"
#include "tests/unit/fake_platform.h"

namespace {

const int kMaxSteps = 2000;  // Goto loops never end on their own

// Stands in for the platform commands: reads every parameter the way a real
// handler does.
void ReadAllFields(char* line, char* param, int* cursor) {
  while (!script::SplitField(',', line, cursor, param)) {
  }
}

// IfEqual, Var, Value, Command...: reads two fields and always runs the tail,
// so conditional tails nest as deep as the line allows.
void RunTail(char* line, char* param, int* cursor) {
  if (script::SplitField(',', line, cursor, param)) return;
  if (script::SplitField(',', line, cursor, param)) return;
  script::Dispatch(line, param, cursor);
}

void InstallHandlers() {
  for (int i = 0; i < script::CMD_COUNT; ++i) script::SetCommandHandler(i, ReadAllFields);
  script::SetCommandHandler(script::CMD_EXESCRIPT, 0);
  script::SetCommandHandler(script::CMD_QUIT, 0);
  script::InstallEngineCommands();
  script::SetCommandHandler(script::CMD_IFEQUAL, RunTail);
}

// True when line is null or one of the main section's lines.
bool InMain(const script::ScriptLine* line) {
  if (line == 0) return true;
  for (const script::ScriptLine* l = script::g_engine.sections.main.head; l; l = l->next) {
    if (l == line) return true;
  }
  return false;
}

// Stores the script as the loader would: lines split at line feeds, cut at
// kMaxStoredLine characters and trimmed; "[ADLIB]" starts the Adlib section.
// A first line "budget N" limits the gosub and repeat allocations instead.
bool Store(const char* text, size_t size) {
  script::Section* section = &script::g_engine.sections.main;
  char buf[script::kMaxStoredLine + 1];
  int number = 1;
  size_t pos = 0;
  while (pos < size) {
    size_t end = pos;
    while (end < size && text[end] != '\n') ++end;
    size_t n = end - pos < (size_t)script::kMaxStoredLine ? end - pos : script::kMaxStoredLine;
    memcpy(buf, text + pos, n);
    buf[n] = '\0';
    script::Trim(buf);
    pos = end + 1;
    if (number == 1 && strncmp(buf, "budget ", 7) == 0) {
      script::g_stack_alloc_budget = atoi(buf + 7) & 0xFF;
    } else if (script::EqualsNoCase(buf, "[ADLIB]")) {
      section = &script::g_engine.sections.adlib;
    } else if (!script::AppendLine(section, number, buf)) {
      return false;
    }
    ++number;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool installed = (InstallHandlers(), true);
  (void)installed;
  fake::Reset();
  platform::SetEnv("COMMA", "a,b");
  platform::SetEnv("LABEL", "Start");
  script::ResetEngine();

  std::string text(reinterpret_cast<const char*>(data), size);
  if (Store(text.c_str(), strlen(text.c_str()))) {  // a NUL ends the script
    script::g_engine.pc = script::g_engine.sections.main.head;
    for (int steps = 0; steps < kMaxSteps; ++steps) {
      if (script::g_engine.wait_state != script::kRunning) break;
      script::g_engine.step_delay = 20;
      script::StatementStep();
      if (!InMain(script::g_engine.pc)) abort();
      if (strlen(script::g_engine.status) > (size_t)script::kStatusMax) abort();
    }
    for (script::GosubEntry* e = script::g_engine.gosub; e; e = e->next) {
      if (!InMain(e->ret)) abort();
    }
    for (script::RepeatEntry* e = script::g_engine.repeat; e; e = e->next) {
      if (!InMain(e->start)) abort();
    }
  }
  script::FreeEngine();
  return 0;
}
