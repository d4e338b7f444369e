// Command indexes, keywords, the handler shape and the handler slots of the table.
#ifndef KESTRO_SCRIPT_COMMANDS_H
#define KESTRO_SCRIPT_COMMANDS_H

namespace script {

// Command indexes, in table order (CMD_EXESCRIPT = 0 ... CMD_IFLESSOREQUAL = 71).
enum CommandIndex {
#define KST_COMMAND(name) CMD_##name,
#include "script/command_list.h"
#undef KST_COMMAND
  CMD_COUNT  // 72: not in the table
};

// Every command handler has this shape: it reads its own parameters from
// `line` at `*cursor` with SplitField into `param`, checks them, and acts.
typedef void (*CommandHandler)(char* line, char* param, int* cursor);

// The upper-case keyword of a command index (0..71); "" for any other index.
const char* CommandKeyword(int index);

// Looks a keyword up without regard to letter case; CMD_COUNT when absent.
int FindCommand(const char* keyword);

// Plugs a handler into the table by index. Handlers of the platform layer are
// installed at start-up; an index without a handler is recognised and does
// nothing. The engine installs its own commands in InstallEngineCommands().
void SetCommandHandler(int index, CommandHandler handler);
CommandHandler GetCommandHandler(int index);

// Runs the line from the cursor as a command line: keyword first, then the
// command's parameters. Used by the statement step, conditional tails and the
// Adlib walk.
void Dispatch(char* line, char* param, int* cursor);

}  // namespace script

#endif
