// The flow commands and what each does to the straight run of lines.
#include "script/flow_keywords.h"

#include <stddef.h>

#include "script/commands.h"

namespace script {

namespace {

struct FlowCommand {
  int index;           // the command's index in the table
  const char* name;    // as the documents write it
  bool falls_through;  // the line after it can run next without a jump
};

// The editor extension's tests read this list too: one entry a line.
const FlowCommand kFlowCommands[] = {
    {CMD_GOTO, "Goto", false},
    {CMD_GOSUB, "Gosub", true},  // Return comes back to the next line
    {CMD_RETURN, "Return", false},
    {CMD_REPEAT, "Repeat", true},
    {CMD_ENDREPEAT, "EndRepeat", true},  // once the count is used up
    {CMD_EXIT, "Exit", false},
};

const FlowCommand* FindFlowCommand(int index) {
  for (size_t i = 0; i < sizeof kFlowCommands / sizeof kFlowCommands[0]; ++i) {
    if (kFlowCommands[i].index == index) return &kFlowCommands[i];
  }
  return 0;
}

}  // namespace

bool IsFlowCommand(int index) { return FindFlowCommand(index) != 0; }

bool EndsStraightRun(int index) {
  const FlowCommand* flow = FindFlowCommand(index);
  return flow != 0 && !flow->falls_through;
}

const char* FlowCommandName(int index) {
  const FlowCommand* flow = FindFlowCommand(index);
  return flow != 0 ? flow->name : "";
}

}  // namespace script
