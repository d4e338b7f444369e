// The command table (keywords in their fixed order, handler slots) and the
// dispatcher that runs a command line from the cursor.
#include "script/commands.h"

#include <string.h>

#include "script/engine.h"
#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

const char* const kKeywords[CMD_COUNT] = {
#define KST_COMMAND(name) #name,
#include "script/command_list.h"
#undef KST_COMMAND
};

// Handler of each command; null means recognised and does nothing.
CommandHandler g_handlers[CMD_COUNT];

}  // namespace

const char* CommandKeyword(int index) {
  if (index < 0 || index >= CMD_COUNT) return "";
  return kKeywords[index];
}

int FindCommand(const char* keyword) {
  for (int i = 0; i < CMD_COUNT; ++i) {
    if (EqualsNoCase(keyword, kKeywords[i])) return i;
  }
  return CMD_COUNT;
}

void SetCommandHandler(int index, CommandHandler handler) {
  if (index < 0 || index >= CMD_COUNT) return;
  g_handlers[index] = handler;
}

CommandHandler GetCommandHandler(int index) {
  if (index < 0 || index >= CMD_COUNT) return 0;
  return g_handlers[index];
}

// The keyword is the first field up to a comma; a keyword that is not in the
// table is a label when it ends with ":" and an error otherwise.
void Dispatch(char* line, char* param, int* cursor) {
  SplitField(',', line, cursor, param);
  int index = FindCommand(param);
  if (index == CMD_COUNT) {
    size_t len = strlen(param);
    if (len > 0 && param[len - 1] == ':') return;  // a label: nothing to do
    ReportError("Error: Invalid command!");
    return;
  }
  CommandHandler handler = g_handlers[index];
  if (handler != 0) handler(line, param, cursor);
}

}  // namespace script
