// Variables and conditions: SetEnv, EnvAdd and EnvSub change a variable; the
// If... commands compare a variable or test a path and run the rest of their line.
#include <windows.h>
#include <stdio.h>

#include "commands/handlers.h"
#include "script/commands.h"
#include "script/engine.h"
#include "script/limits.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"

namespace commands {

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
void CmdSetEnv(char* line, char* param, int* cursor) {
  char name[script::kBufSize];
  bool missing = script::SplitField(',', line, cursor, name);
  script::SplitField(0, line, cursor, param);
  if (missing) return;
  script::WriteVariable(name, param);
}

// Adds (sign 1) or subtracts (sign -1) the amount to the variable's integer
// value; a variable that is not defined, or not a number, counts as 0. The
// sum wraps around in 32 bits.
void AddToVariable(char* line, char* param, int* cursor, int sign, const char* message) {
  char name[script::kBufSize];
  bool missing = script::SplitField(',', line, cursor, name);
  script::SplitField(0, line, cursor, param);
  if (missing) {
    script::ReportError(message);
    return;
  }
  unsigned int amount = static_cast<unsigned int>(script::IntegerValue(param));
  char value[script::kMaxValue + 1];
  script::ReadVariable(name, value, script::kMaxValue);
  unsigned int current = static_cast<unsigned int>(script::IntegerValue(value));
  // Unsigned arithmetic wraps instead of overflowing.
  unsigned int result = sign > 0 ? current + amount : current - amount;
  char text[16];
  wsprintfA(text, "%d", static_cast<int>(result));
  script::WriteVariable(name, text);
}

// EnvAdd, name, amount   e.g.  EnvAdd, Count, 1
void CmdEnvAdd(char* line, char* param, int* cursor) {
  AddToVariable(line, param, cursor, 1, "EnvAdd: Invalid number of parameters!");
}

// EnvSub, name, amount   e.g.  EnvSub, Count, 1
void CmdEnvSub(char* line, char* param, int* cursor) {
  AddToVariable(line, param, cursor, -1, "EnvSub: Invalid number of parameters!");
}

bool Holds(Comparison how, const char* value, const char* operand) {
  if (how == kTextEqual) return script::EqualsNoCase(value, operand);
  if (how == kTextNotEqual) return !script::EqualsNoCase(value, operand);
  int left = script::IntegerValue(value);
  int right = script::IntegerValue(operand);
  switch (how) {
    case kGreater: return left > right;
    case kLess: return left < right;
    case kGreaterOrEqual: return left >= right;
    default: return left <= right;
  }
}

// The common body of the six variable conditions: name and operand must each
// end at a comma; when the comparison holds, the rest of the line runs as a
// command of its own.
void CompareVariable(char* line, char* param, int* cursor, Comparison how, const char* message) {
  char name[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, name);
  missing += script::SplitField(',', line, cursor, param);
  if (missing) {
    script::ReportError(message);
    return;
  }
  char value[script::kMaxValue + 1];
  script::ReadVariable(name, value, script::kMaxValue);
  if (!Holds(how, value, param)) return;
  script::Dispatch(line, param, cursor);
}

// IfEqual, name, text, command ...   e.g.  IfEqual, Answer, yes, Goto, Done
void CmdIfEqual(char* line, char* param, int* cursor) {
  CompareVariable(line, param, cursor, kTextEqual, "IfEqual: Invalid number of parameters!");
}

// IfNotEqual, name, text, command ...   e.g.  IfNotEqual, Answer, yes, Goto, Retry
void CmdIfNotEqual(char* line, char* param, int* cursor) {
  CompareVariable(line, param, cursor, kTextNotEqual, "IfNotEqual: Invalid number of parameters!");
}

// IfGreater, name, number, command ...   e.g.  IfGreater, A_HOUR, 11, Goto, Afternoon
void CmdIfGreater(char* line, char* param, int* cursor) {
  CompareVariable(line, param, cursor, kGreater, "IfGreater: Invalid number of parameters!");
}

// IfLess, name, number, command ...   e.g.  IfLess, Count, 10, Goto, Again
void CmdIfLess(char* line, char* param, int* cursor) {
  CompareVariable(line, param, cursor, kLess, "IfLess: Invalid number of parameters!");
}

// IfGreaterOrEqual, name, number, command ...   e.g.  IfGreaterOrEqual, Count, 10, Exit
void CmdIfGreaterOrEqual(char* line, char* param, int* cursor) {
  CompareVariable(line, param, cursor, kGreaterOrEqual,
                  "IfGreaterOrEqual: Invalid number of parameters!");
}

// IfLessOrEqual, name, number, command ...   e.g.  IfLessOrEqual, Tries, 3, Goto, Retry
void CmdIfLessOrEqual(char* line, char* param, int* cursor) {
  CompareVariable(line, param, cursor, kLessOrEqual,
                  "IfLessOrEqual: Invalid number of parameters!");
}

// Runs the rest of the line when a search for the path finds an entry (want
// true) or finds none (want false). Wildcards may stand in the last component;
// directories count. The search stays open until the tail has run.
void TestPath(char* line, char* param, int* cursor, bool want, const char* message) {
  if (script::SplitField(',', line, cursor, param)) {
    script::ReportError(message);
    return;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(param, &found);
  bool exists = search != INVALID_HANDLE_VALUE;
  if (exists == want) script::Dispatch(line, param, cursor);
  if (exists) FindClose(search);
}

// IfExist, path, command ...   e.g.  IfExist, C:\\Temp\\*.txt, Goto, Found
void CmdIfExist(char* line, char* param, int* cursor) {
  TestPath(line, param, cursor, true, "IfExist: Invalid number of parameters");
}

// IfNotExist, path, command ...   e.g.  IfNotExist, C:\\Temp\\done.txt, Goto, Wait
void CmdIfNotExist(char* line, char* param, int* cursor) {
  TestPath(line, param, cursor, false, "IfNotExist: Invalid number of parameters");
}

}  // namespace

void InstallVariableCommands() {
  script::SetCommandHandler(script::CMD_SETENV, CmdSetEnv);
  script::SetCommandHandler(script::CMD_ENVADD, CmdEnvAdd);
  script::SetCommandHandler(script::CMD_ENVSUB, CmdEnvSub);
  script::SetCommandHandler(script::CMD_IFEQUAL, CmdIfEqual);
  script::SetCommandHandler(script::CMD_IFNOTEQUAL, CmdIfNotEqual);
  script::SetCommandHandler(script::CMD_IFGREATER, CmdIfGreater);
  script::SetCommandHandler(script::CMD_IFLESS, CmdIfLess);
  script::SetCommandHandler(script::CMD_IFGREATEROREQUAL, CmdIfGreaterOrEqual);
  script::SetCommandHandler(script::CMD_IFLESSOREQUAL, CmdIfLessOrEqual);
  script::SetCommandHandler(script::CMD_IFEXIST, CmdIfExist);
  script::SetCommandHandler(script::CMD_IFNOTEXIST, CmdIfNotExist);
}

}  // namespace commands
