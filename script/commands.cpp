// The command table, the splitting of a command's fields by its shape, and the
// dispatcher that runs a command line from the cursor.
#include "script/commands.h"

#include <string.h>

#include "script/interp.h"
#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

const CommandInfo kCommands[CMD_COUNT] = {
#define KST_COMMAND(name, spelling, form, required, kinds, message) \
  {#name, spelling, form, required, kinds, message},
#include "script/command_list.h"
#undef KST_COMMAND
};

// Compile-time checks of the table's rows: no command reads more fields than
// Fields holds, no command requires more commas than it has fields, and the
// spelling is the keyword's letters.
constexpr int Length(const char* s) { return *s ? 1 + Length(s + 1) : 0; }
constexpr char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr bool SpelledAs(const char* keyword, const char* spelling) {
  return *keyword == Upper(*spelling) && (*keyword == '\0' || SpelledAs(keyword + 1, spelling + 1));
}
#define KST_COMMAND(name, spelling, form, required, kinds, message)              \
  static_assert(SpelledAs(#name, spelling), #name ": spelling and keyword differ"); \
  static_assert(Length(kinds) <= kMaxFields, #name ": too many fields");         \
  static_assert(required <= Length(kinds), #name ": more required than fields"); \
  static_assert((form == kNoFields) == (Length(kinds) == 0), #name ": form and fields disagree");
#include "script/command_list.h"
#undef KST_COMMAND

}  // namespace

const CommandInfo* CommandAt(int index) {
  if (index < 0 || index >= CMD_COUNT) return 0;
  return &kCommands[index];
}

const char* CommandKeyword(int index) {
  const CommandInfo* info = CommandAt(index);
  return info ? info->keyword : "";
}

const char* CommandSpelling(int index) {
  const CommandInfo* info = CommandAt(index);
  return info ? info->spelling : "";
}

int FindCommand(const char* keyword) {
  for (int i = 0; i < CMD_COUNT; ++i) {
    if (EqualsNoCase(keyword, kCommands[i].keyword)) return i;
  }
  return CMD_COUNT;
}

// Conditions read every field up to a comma; other commands read the last
// field as the rest of the line, commas included. All fields are read even
// after the line has ended (they are then empty), so a handler always finds
// its whole shape. The fields are packed one after the other into the store.
int ReadFields(const CommandInfo& info, char* line, int* cursor, Fields* out) {
  int count = static_cast<int>(strlen(info.kinds));
  out->count = count;
  out->given = count > 0 ? 1 : 0;
  out->line = line;
  out->cursor = cursor;
  int missing = 0;
  int used = 0;
  for (int i = 0; i < count; ++i) {
    bool rest = info.form == kLineFields && i == count - 1;
    char* field = out->store + used;
    bool at_end = SplitFieldInto(rest ? '\0' : ',', line, cursor, field,
                                 static_cast<int>(sizeof out->store) - used);
    if (!rest && !at_end && i + 1 < count) ++out->given;
    if (at_end && i < info.required) ++missing;
    out->at[i] = field;
    used += static_cast<int>(strlen(field)) + 1;
  }
  out->complete = missing == 0;
  return missing;
}

bool ReadsBeforeCommaCheck(int index) { return index == CMD_SPLASHTEXTON; }

// The keyword is the first field up to a comma; a keyword that is not in the
// table is a label when it ends with ":" and an error otherwise.
bool Dispatch(Interp& in, char* line, int* cursor) {
  Fields fields;
  SplitFieldInto(',', line, cursor, fields.store, static_cast<int>(sizeof fields.store));
  int index = FindCommand(fields.store);
  if (index == CMD_COUNT) {
    size_t len = strlen(fields.store);
    if (len > 0 && fields.store[len - 1] == ':') return true;  // a label: nothing to do
    return in.Fail("Error: Invalid command!");
  }
  const CommandInfo& info = kCommands[index];
  CommandHandler handler = in.handlers[index];
  if (ReadFields(info, line, cursor, &fields) != 0) {
    // Without a message the command does nothing when a comma is missing.
    if (!info.message) return true;
    // A command that reads before its check gets its (short) fields first;
    // the missing comma is reported whatever it does with them.
    if (handler && ReadsBeforeCommaCheck(index)) handler(in, fields);
    return in.Fail(info.message);
  }
  return handler ? handler(in, fields) : true;
}

bool RunTail(Interp& in, Fields& fields) { return Dispatch(in, fields.line, fields.cursor); }

}  // namespace script
