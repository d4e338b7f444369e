// Control flow and settings commands implemented by the core itself:
// Goto, Gosub, Return, Repeat, EndRepeat, Exit and the settings.
#include <stdlib.h>
#include <string.h>

#include "script/core_commands.h"
#include "script/interp.h"
#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

// Allocates one stack entry; honours the test seam that simulates running out of memory.
void* AllocEntry(Interp& in, size_t size) {
  if (in.stack_alloc_budget == 0) return 0;
  if (in.stack_alloc_budget > 0) --in.stack_alloc_budget;
  return malloc(size);
}

// Walks the main section from its head for the line equal to the label
// buffer; the program counter becomes the line after it, or null.
bool JumpToLabel(Interp& in) {
  in.pc = in.sections.main.head;
  while (in.pc != 0) {
    ScriptLine* candidate = in.pc;
    in.pc = candidate->next;
    if (EqualsNoCase(candidate->text, in.label)) return true;
  }
  return in.Fail("Error: Cannot find requested label!");
}

// Copies the label name and appends ":"; the buffer always has room for it.
void SetLabel(Interp& in, const char* name) {
  CopyText(in.label, name, kBufSize - 1);
  strcat(in.label, ":");
}

// Goto, Label   e.g.  Goto, Start
bool CmdGoto(Interp& in, Fields& f) {
  SetLabel(in, f.at[0]);
  return JumpToLabel(in);
}

// Gosub, Label   e.g.  Gosub, SaveFile
bool CmdGosub(Interp& in, Fields& f) {
  SetLabel(in, f.at[0]);
  GosubEntry* entry = static_cast<GosubEntry*>(AllocEntry(in, sizeof(GosubEntry)));
  if (entry == 0) return in.Fail("Gosub: Out of memory!");
  entry->ret = in.pc;  // already the line after the Gosub line
  entry->next = in.gosub;
  in.gosub = entry;
  return JumpToLabel(in);
}

// Return   e.g.  Return
bool CmdReturn(Interp& in, Fields&) {
  GosubEntry* top = in.gosub;
  if (top == 0) return in.Fail("Return: Return with no matching Gosub!");
  in.gosub = top->next;
  in.pc = top->ret;
  free(top);
  return true;
}

// Repeat, Count   e.g.  Repeat, 3   (0, empty or not a number: without end)
bool CmdRepeat(Interp& in, Fields& f) {
  int count = IntegerValue(f.at[0]);
  RepeatEntry* entry = static_cast<RepeatEntry*>(AllocEntry(in, sizeof(RepeatEntry)));
  if (entry == 0) return in.Fail("Repeat: Out of memory!");
  entry->start = in.pc;  // the line after the Repeat line
  entry->remaining = count;
  entry->next = in.repeat;
  in.repeat = entry;
  return true;
}

// EndRepeat   e.g.  EndRepeat
// The top entry is reused for the next round rather than freed and allocated
// again, so a running loop never needs fresh memory.
bool CmdEndRepeat(Interp& in, Fields&) {
  RepeatEntry* top = in.repeat;
  if (top == 0) return in.Fail("EndRepeat: EndRepeat with no matching Repeat!");
  if (top->remaining == 1) {
    in.repeat = top->next;
    free(top);
    return true;
  }
  // 0 stays 0 (without end); anything else counts down, wrapping past the lowest value.
  if (top->remaining != 0) top->remaining = static_cast<int>(static_cast<unsigned int>(top->remaining) - 1u);
  in.pc = top->start;
  return true;
}

// Exit   e.g.  Exit
bool CmdExit(Interp& in, Fields&) {
  SetWaitState(in, kStopping);
  return true;
}

// SetKeyDelay, N   e.g.  SetKeyDelay, 50
bool CmdSetKeyDelay(Interp& in, Fields& f) {
  in.key_delay = IntegerValue(f.at[0]);
  return true;
}

// Sleep, N   e.g.  Sleep, 1000
bool CmdSleep(Interp& in, Fields& f) {
  AddStepDelay(in, IntegerValue(f.at[0]));
  return true;
}

// SetTitleMatchMode, N   e.g.  SetTitleMatchMode, 2
bool CmdSetTitleMatchMode(Interp& in, Fields& f) {
  in.title_match_mode = IntegerValue(f.at[0]);
  return true;
}

// SetWinDelay, N   e.g.  SetWinDelay, 100
bool CmdSetWinDelay(Interp& in, Fields& f) {
  in.win_delay = IntegerValue(f.at[0]);
  return true;
}

// DetectHiddenText, X   e.g.  DetectHiddenText, On
bool CmdDetectHiddenText(Interp& in, Fields& f) {
  in.detect_hidden_text = EqualsNoCase(f.at[0], "On") ? 1 : 0;
  return true;
}

// DetectAccessibleText, X   e.g.  DetectAccessibleText, On
bool CmdDetectAccessibleText(Interp& in, Fields& f) {
  in.detect_accessible_text = EqualsNoCase(f.at[0], "On") ? 1 : 0;
  return true;
}

// AdlibOn   e.g.  AdlibOn
bool CmdAdlibOn(Interp& in, Fields&) {
  in.adlib_enabled = 1;
  return true;
}

// AdlibOff   e.g.  AdlibOff
bool CmdAdlibOff(Interp& in, Fields&) {
  in.adlib_enabled = 0;
  return true;
}

// Break, X   e.g.  Break, Off   (the user may pause, resume and exit only after "On")
bool CmdBreak(Interp& in, Fields& f) {
  in.break_enabled = EqualsNoCase(f.at[0], "On") ? 1 : 0;
  return true;
}

}  // namespace

// EXESCRIPT and QUIT keep no handler: they are recognised and do nothing.
void InstallFlowCommands(Interp& in) {
  SetHandler(in, CMD_GOTO, CmdGoto);
  SetHandler(in, CMD_GOSUB, CmdGosub);
  SetHandler(in, CMD_RETURN, CmdReturn);
  SetHandler(in, CMD_REPEAT, CmdRepeat);
  SetHandler(in, CMD_ENDREPEAT, CmdEndRepeat);
  SetHandler(in, CMD_EXIT, CmdExit);
  SetHandler(in, CMD_SETKEYDELAY, CmdSetKeyDelay);
  SetHandler(in, CMD_SLEEP, CmdSleep);
  SetHandler(in, CMD_SETTITLEMATCHMODE, CmdSetTitleMatchMode);
  SetHandler(in, CMD_SETWINDELAY, CmdSetWinDelay);
  SetHandler(in, CMD_DETECTHIDDENTEXT, CmdDetectHiddenText);
  SetHandler(in, CMD_DETECTACCESSIBLETEXT, CmdDetectAccessibleText);
  SetHandler(in, CMD_BREAK, CmdBreak);
  SetHandler(in, CMD_ADLIBON, CmdAdlibOn);
  SetHandler(in, CMD_ADLIBOFF, CmdAdlibOff);
}

void InstallCoreCommands(Interp& in) {
  InstallFlowCommands(in);
  InstallVariableCommands(in);
  InstallWindowConditions(in);
  InstallPathConditions(in);
  InstallWindowWaits(in);
  InstallRunWaitPoller(in);
  InstallMessageBoxCommands(in);
}

}  // namespace script
