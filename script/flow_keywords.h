// The one list of the flow commands, the commands that move the script's
// position: the checker follows them and the editor grammar colours them.
#ifndef KESTRO_SCRIPT_FLOW_KEYWORDS_H
#define KESTRO_SCRIPT_FLOW_KEYWORDS_H

namespace script {

// True for Goto, Gosub, Return, Repeat, EndRepeat and Exit.
bool IsFlowCommand(int index);

// True for the flow commands after which the next line never runs straight
// on (Goto, Return and Exit): only a jump to a label can reach it.
bool EndsStraightRun(int index);

// The name of a flow command as the documents write it ("EndRepeat"), for
// messages; "" for any other command index.
const char* FlowCommandName(int index);

}  // namespace script

#endif
