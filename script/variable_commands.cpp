// Variables and their conditions: SetEnv, EnvAdd and EnvSub change a
// variable; IfEqual and friends compare one and run the rest of their line.
#include <stdio.h>

#include "script/core_commands.h"
#include "script/interp.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"

namespace script {

namespace {

// How a condition compares the variable's value (left) with its operand (right).
enum Comparison {
  kTextEqual,      // whole texts, without regard to letter case
  kTextNotEqual,
  kGreater,        // signed 32-bit integer values
  kLess,
  kGreaterOrEqual,
  kLessOrEqual
};

// SetEnv, name, value   e.g.  SetEnv, Greeting, Hello, world
// The value is the rest of the line, commas included; it may be empty. A line
// without a comma after the name does nothing, and is no error.
bool CmdSetEnv(Interp& in, Fields& f) {
  WriteVariable(*in.sys, f.at[0], f.at[1]);
  return true;
}

// Adds (sign 1) or subtracts (sign -1) the amount to the variable's integer
// value; a variable that is not defined, or not a number, counts as 0. The
// sum wraps around in 32 bits.
void AddToVariable(Interp& in, const char* name, const char* amount_text, int sign) {
  unsigned int amount = static_cast<unsigned int>(IntegerValue(amount_text));
  char value[kMaxValue + 1];
  ReadVariable(*in.sys, name, value, kMaxValue, in.sections.utf8);
  unsigned int current = static_cast<unsigned int>(IntegerValue(value));
  // Unsigned arithmetic wraps instead of overflowing.
  unsigned int result = sign > 0 ? current + amount : current - amount;
  char text[16];
  sprintf(text, "%d", static_cast<int>(result));
  WriteVariable(*in.sys, name, text);
}

// EnvAdd, name, amount   e.g.  EnvAdd, Count, 1
bool CmdEnvAdd(Interp& in, Fields& f) {
  AddToVariable(in, f.at[0], f.at[1], 1);
  return true;
}

// EnvSub, name, amount   e.g.  EnvSub, Count, 1
bool CmdEnvSub(Interp& in, Fields& f) {
  AddToVariable(in, f.at[0], f.at[1], -1);
  return true;
}

bool Holds(Comparison how, const char* value, const char* operand) {
  if (how == kTextEqual) return EqualsNoCase(value, operand);
  if (how == kTextNotEqual) return !EqualsNoCase(value, operand);
  int left = IntegerValue(value);
  int right = IntegerValue(operand);
  switch (how) {
    case kGreater: return left > right;
    case kLess: return left < right;
    case kGreaterOrEqual: return left >= right;
    default: return left <= right;
  }
}

// The common body of the six variable conditions: when the comparison of the
// variable's value with the operand holds, the rest of the line runs.
bool CompareVariable(Interp& in, Fields& f, Comparison how) {
  char value[kMaxValue + 1];
  ReadVariable(*in.sys, f.at[0], value, kMaxValue, in.sections.utf8);
  if (!Holds(how, value, f.at[1])) return true;
  return RunTail(in, f);
}

// IfEqual, name, text, command ...   e.g.  IfEqual, Answer, yes, Goto, Done
bool CmdIfEqual(Interp& in, Fields& f) { return CompareVariable(in, f, kTextEqual); }

// IfNotEqual, name, text, command ...   e.g.  IfNotEqual, Answer, yes, Goto, Retry
bool CmdIfNotEqual(Interp& in, Fields& f) { return CompareVariable(in, f, kTextNotEqual); }

// IfGreater, name, number, command ...   e.g.  IfGreater, A_HOUR, 11, Goto, Afternoon
bool CmdIfGreater(Interp& in, Fields& f) { return CompareVariable(in, f, kGreater); }

// IfLess, name, number, command ...   e.g.  IfLess, Count, 10, Goto, Again
bool CmdIfLess(Interp& in, Fields& f) { return CompareVariable(in, f, kLess); }

// IfGreaterOrEqual, name, number, command ...   e.g.  IfGreaterOrEqual, Count, 10, Exit
bool CmdIfGreaterOrEqual(Interp& in, Fields& f) { return CompareVariable(in, f, kGreaterOrEqual); }

// IfLessOrEqual, name, number, command ...   e.g.  IfLessOrEqual, Tries, 3, Goto, Retry
bool CmdIfLessOrEqual(Interp& in, Fields& f) { return CompareVariable(in, f, kLessOrEqual); }

}  // namespace

void InstallVariableCommands(Interp& in) {
  SetHandler(in, CMD_SETENV, CmdSetEnv);
  SetHandler(in, CMD_ENVADD, CmdEnvAdd);
  SetHandler(in, CMD_ENVSUB, CmdEnvSub);
  SetHandler(in, CMD_IFEQUAL, CmdIfEqual);
  SetHandler(in, CMD_IFNOTEQUAL, CmdIfNotEqual);
  SetHandler(in, CMD_IFGREATER, CmdIfGreater);
  SetHandler(in, CMD_IFLESS, CmdIfLess);
  SetHandler(in, CMD_IFGREATEROREQUAL, CmdIfGreaterOrEqual);
  SetHandler(in, CMD_IFLESSOREQUAL, CmdIfLessOrEqual);
}

}  // namespace script
