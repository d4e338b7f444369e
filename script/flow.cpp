// Control flow and settings commands implemented by the engine itself:
// Goto, Gosub, Return, Repeat, EndRepeat, Exit and the settings.
#include <stdlib.h>
#include <string.h>

#include "script/commands.h"
#include "script/engine.h"
#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

// Allocates one stack entry; honours the test seam that simulates running out of memory.
void* AllocEntry(size_t size) {
  if (g_stack_alloc_budget == 0) return 0;
  if (g_stack_alloc_budget > 0) --g_stack_alloc_budget;
  return malloc(size);
}

// Reads the rest of the line (no delimiter) into param and returns it.
char* RestOfLine(char* line, char* param, int* cursor) {
  SplitField('\0', line, cursor, param);
  return param;
}

// Walks the main section from its head for the line equal to the label
// buffer; the program counter becomes the line after it, or null.
void JumpToLabel() {
  g_engine.pc = g_engine.sections.main.head;
  while (g_engine.pc != 0) {
    ScriptLine* candidate = g_engine.pc;
    g_engine.pc = candidate->next;
    if (EqualsNoCase(candidate->text, g_engine.label)) return;
  }
  ReportError("Error: Cannot find requested label!");
}

// Copies the label name and appends ":"; the buffer always has room for it.
void SetLabel(const char* name) {
  CopyText(g_engine.label, name, kBufSize - 1);
  strcat(g_engine.label, ":");
}

// Goto, Label   e.g.  Goto, Start
void GotoCommand(char* line, char* param, int* cursor) {
  SetLabel(RestOfLine(line, param, cursor));
  JumpToLabel();
}

// Gosub, Label   e.g.  Gosub, SaveFile
void GosubCommand(char* line, char* param, int* cursor) {
  SetLabel(RestOfLine(line, param, cursor));
  GosubEntry* entry = (GosubEntry*)AllocEntry(sizeof(GosubEntry));
  if (entry == 0) {
    ReportError("Gosub: Out of memory!");
    return;
  }
  entry->ret = g_engine.pc;  // already the line after the Gosub line
  entry->next = g_engine.gosub;
  g_engine.gosub = entry;
  JumpToLabel();
}

// Return   e.g.  Return
void ReturnCommand(char*, char*, int*) {
  GosubEntry* top = g_engine.gosub;
  if (top == 0) {
    ReportError("Return: Return with no matching Gosub!");
    return;
  }
  g_engine.gosub = top->next;
  g_engine.pc = top->ret;
  free(top);
}

// Repeat, Count   e.g.  Repeat, 3   (0, empty or not a number: without end)
void RepeatCommand(char* line, char* param, int* cursor) {
  int count = IntegerValue(RestOfLine(line, param, cursor));
  RepeatEntry* entry = (RepeatEntry*)AllocEntry(sizeof(RepeatEntry));
  if (entry == 0) {
    ReportError("Repeat: Out of memory!");
    return;
  }
  entry->start = g_engine.pc;  // the line after the Repeat line
  entry->remaining = count;
  entry->next = g_engine.repeat;
  g_engine.repeat = entry;
}

// EndRepeat   e.g.  EndRepeat
// The top entry is reused for the next round rather than freed and allocated
// again, so a running loop never needs fresh memory.
void EndRepeatCommand(char*, char*, int*) {
  RepeatEntry* top = g_engine.repeat;
  if (top == 0) {
    ReportError("EndRepeat: EndRepeat with no matching Repeat!");
    return;
  }
  if (top->remaining == 1) {
    g_engine.repeat = top->next;
    free(top);
    return;
  }
  // 0 stays 0 (without end); anything else counts down, wrapping past the lowest value.
  if (top->remaining != 0) top->remaining = (int)((unsigned int)top->remaining - 1u);
  g_engine.pc = top->start;
}

// Exit   e.g.  Exit
void ExitCommand(char*, char*, int*) { g_engine.wait_state = kStopping; }

// SetKeyDelay, N   e.g.  SetKeyDelay, 50
void SetKeyDelayCommand(char* line, char* param, int* cursor) {
  g_engine.key_delay = IntegerValue(RestOfLine(line, param, cursor));
}

// Sleep, N   e.g.  Sleep, 1000
void SleepCommand(char* line, char* param, int* cursor) {
  AddStepDelay(IntegerValue(RestOfLine(line, param, cursor)));
}

// SetTitleMatchMode, N   e.g.  SetTitleMatchMode, 2
void SetTitleMatchModeCommand(char* line, char* param, int* cursor) {
  g_engine.title_match_mode = IntegerValue(RestOfLine(line, param, cursor));
}

// SetWinDelay, N   e.g.  SetWinDelay, 100
void SetWinDelayCommand(char* line, char* param, int* cursor) {
  g_engine.win_delay = IntegerValue(RestOfLine(line, param, cursor));
}

// DetectHiddenText, X   e.g.  DetectHiddenText, On
void DetectHiddenTextCommand(char* line, char* param, int* cursor) {
  g_engine.detect_hidden_text = EqualsNoCase(RestOfLine(line, param, cursor), "On") ? 1 : 0;
}

// AdlibOn   e.g.  AdlibOn
void AdlibOnCommand(char*, char*, int*) { g_engine.adlib_enabled = 1; }

// AdlibOff   e.g.  AdlibOff
void AdlibOffCommand(char*, char*, int*) { g_engine.adlib_enabled = 0; }

// Break, X   e.g.  Break, Off   (the user may pause, resume and exit only after "On")
void BreakCommand(char* line, char* param, int* cursor) {
  g_engine.break_enabled = EqualsNoCase(RestOfLine(line, param, cursor), "On") ? 1 : 0;
}

}  // namespace

// EXESCRIPT and QUIT keep no handler: they are recognised and do nothing.
void InstallEngineCommands() {
  SetCommandHandler(CMD_GOTO, GotoCommand);
  SetCommandHandler(CMD_GOSUB, GosubCommand);
  SetCommandHandler(CMD_RETURN, ReturnCommand);
  SetCommandHandler(CMD_REPEAT, RepeatCommand);
  SetCommandHandler(CMD_ENDREPEAT, EndRepeatCommand);
  SetCommandHandler(CMD_EXIT, ExitCommand);
  SetCommandHandler(CMD_SETKEYDELAY, SetKeyDelayCommand);
  SetCommandHandler(CMD_SLEEP, SleepCommand);
  SetCommandHandler(CMD_SETTITLEMATCHMODE, SetTitleMatchModeCommand);
  SetCommandHandler(CMD_SETWINDELAY, SetWinDelayCommand);
  SetCommandHandler(CMD_DETECTHIDDENTEXT, DetectHiddenTextCommand);
  SetCommandHandler(CMD_BREAK, BreakCommand);
  SetCommandHandler(CMD_ADLIBON, AdlibOnCommand);
  SetCommandHandler(CMD_ADLIBOFF, AdlibOffCommand);
}

}  // namespace script
