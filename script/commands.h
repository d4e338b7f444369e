// The command table (keyword, parameter shape and message of every command),
// the fields a handler receives, the handler shape and the dispatcher.
#ifndef KESTRO_SCRIPT_COMMANDS_H
#define KESTRO_SCRIPT_COMMANDS_H

#include "script/limits.h"

namespace script {

struct Interp;

// How a command reads its parameters (see script/command_list.h).
enum FieldForm {
  kNoFields,    // reads nothing
  kLineFields,  // fields up to commas, the last one the rest of the line
  kTailFields   // fields up to commas, then a command of its own (conditions)
};

// What a field holds: the letters that the names of the table's KINDS column
// (NUMBER, TITLE, ...) stand for. The runner reads every field as text; the
// kinds tell a checker, the docs and an editor what belongs there.
enum FieldKind {
  kFieldNumber = 'n',       // an integer value (delays, timeouts, counts, coordinates, flags)
  kFieldExtent = 'e',       // a size in pixels or "default"
  kFieldTitle = 'w',        // a window title pattern
  kFieldWindowText = 'x',   // a window text pattern
  kFieldLabel = 'l',        // a label of the main section
  kFieldKeys = 'k',         // text in the Send key language
  kFieldPath = 'p',         // a file or folder path
  kFieldProgram = 'c',      // a program's command line
  kFieldVariable = 'v',     // a variable name
  kFieldWord = 'o',         // an option word (On, hide, REG_DWORD, a button name)
  kFieldRegistryRoot = 'r', // a registry root key name
  kFieldText = 's'          // any text
};

// Command indexes, in table order (CMD_EXESCRIPT = 0 ... CMD_IFLESSOREQUAL = 71).
enum CommandIndex {
#define KST_COMMAND(name, spelling, form, required, kinds, message) CMD_##name,
#include "script/command_list.h"
#undef KST_COMMAND
  CMD_COUNT  // 73: not in the table
};

// One row of the command table.
struct CommandInfo {
  const char* keyword;  // upper case
  const char* spelling; // as scripts write it: "WinWait"
  FieldForm form;
  int required;         // leading fields that must end at a comma
  const char* kinds;    // one FieldKind letter per field; its length is the field count
  const char* message;  // error when a required comma is missing; 0: do nothing instead
};

// The most fields any command reads (WinMove).
const int kMaxFields = 6;

// The table row of a command index; null for any other index.
const CommandInfo* CommandAt(int index);

// The upper-case keyword of a command index (0..71); "" for any other index.
const char* CommandKeyword(int index);

// The keyword of a command index as scripts write it ("WinWait"); "" for any other index.
const char* CommandSpelling(int index);

// Looks a keyword up without regard to letter case; CMD_COUNT when absent.
int FindCommand(const char* keyword);

// The fields of one command line, split by the command's shape: escapes
// removed, each field trimmed. A field the line did not reach is "".
struct Fields {
  int count;                 // fields the shape reads
  int given;                 // fields the line held: one more than the commas that ended one
  bool complete;             // every required comma is there (see ReadsBeforeCommaCheck)
  char* at[kMaxFields];      // the fields, in order
  char* line;                // the line being run, for a condition's tail
  int* cursor;               // where the tail starts, after the last field
  char store[kBufSize + kMaxFields + 1];  // the fields' text; a split never grows a line
};

// Every handler has this shape. It acts and returns true, or returns false
// through Interp::Fail with the message of its error; the caller reports it.
typedef bool (*CommandHandler)(Interp& in, Fields& fields);

// Splits the fields of a command from the cursor by its shape. Returns the
// number of required fields that did not end at a comma (0 when all did).
int ReadFields(const CommandInfo& info, char* line, int* cursor, Fields* out);

// True for a command whose handler runs even when a required comma is missing,
// before the dispatcher reports it: SplashTextOn, which stores its text first.
// Its handler then sees complete == false and must not act.
bool ReadsBeforeCommaCheck(int index);

// Runs the line from the cursor as a command line: keyword first, then the
// command's fields. Returns false (with the message in the interpreter) when
// the command failed. Used by the statement step, condition tails and the
// Adlib walk.
bool Dispatch(Interp& in, char* line, int* cursor);

// Runs the rest of a condition's line as a command of its own.
bool RunTail(Interp& in, Fields& fields);

}  // namespace script

#endif
