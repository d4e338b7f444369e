// The command-line options of the tools (kestro-pack, kestro-spy, kestro-rec):
// "--opt value" and "--opt=value", and the nearest known name for a typo.
#ifndef KESTRO_SCRIPT_TOOL_OPTIONS_H
#define KESTRO_SCRIPT_TOOL_OPTIONS_H

#include <stddef.h>

#include <string>

namespace script {

// One option a tool knows. Several rows may share an id (aliases such as
// "-o" and "--output", or "-h" and "--help").
struct OptionSpec {
  const char* name;  // as typed, dashes included: "--format", "-o"
  bool takes_value;  // "--format json" or "--format=json"
  int id;            // what the tool acts on
};

// What one word of the command line is.
enum OptionKind {
  kOptionPlain,         // not an option: a file name, a title...
  kOptionKnown,         // a known option; its value, if it takes one, is read
  kOptionUnknown,       // looks like an option but names none
  kOptionMissingValue,  // a known option that takes a value, at the end of the line
  kOptionUnwantedValue  // "--flag=value" for an option that takes none
};

struct OptionWord {
  OptionKind kind;
  int id;             // kOptionKnown, kOptionMissingValue, kOptionUnwantedValue: the row's id
  std::string name;   // the option as typed, without "=value"; the word itself when plain
  std::string value;  // the option's value, or the plain word
};

// Reads the word at argv[*next] and moves *next past it (and past a value
// taken from the following word). A word that starts with "-" and is longer
// than "-" is an option; after a "--" of its own every word is plain, so a
// file named "-x" can still be given. "--opt=value" splits at the first "=";
// "--opt value" takes the next word whatever it is. Returns false when
// *next >= argc.
bool ReadOption(int argc, const char* const* argv, int* next, const OptionSpec* specs,
                size_t count, bool* options_ended, OptionWord* out);

// The known name nearest to `typed`, or NULL when none is near enough to
// suggest: ignoring letter case, one or two edits away (a swap of two
// neighbours counts as one) and no more than one edit per two letters of the
// name, or else the start of exactly one name. The first row wins a tie.
const char* NearestOption(const std::string& typed, const OptionSpec* specs, size_t count);

// The message for a word ReadOption did not accept:
//   "unknown option --formt; did you mean --format?"  (or without the hint)
//   "--format needs a value"
//   "--werror takes no value"
std::string OptionProblem(const OptionWord& word, const OptionSpec* specs, size_t count);

}  // namespace script

#endif
