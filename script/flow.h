// The engine's own command handlers that another layer may wrap when it
// re-registers their table slot (the host adds its tray effects to Break).
#ifndef KESTRO_SCRIPT_FLOW_H
#define KESTRO_SCRIPT_FLOW_H

namespace script {

// Break, X   e.g.  Break, Off   (break enabled := 1 for "On", else 0)
void BreakCommand(char* line, char* param, int* cursor);

}  // namespace script

#endif
