// The script checker: finds what the runner would stop on, and the traps it
// would run without a word, before a script is packed.
#ifndef KESTRO_CHECKER_CHECK_H
#define KESTRO_CHECKER_CHECK_H

#include <string>
#include <vector>

namespace checker {

enum Severity { kWarning, kError };

// One finding, placed on a line of the script file.
struct Diagnostic {
  int line;            // from 1, as the runner numbers lines
  int column;          // from 1, in the file's line: characters (code points) in a
                       // UTF-8 script, bytes in an ANSI one
  int end_column;      // the column just after the text concerned
  Severity severity;
  std::string code;    // stable name of the kind of finding, e.g. "unknown-command"
  std::string message;
};

// Checks a script's text exactly as the runner will read it after packing:
// the same line ends, trimming, line numbers, Adlib section and splitting.
// The diagnostics come in line order.
std::vector<Diagnostic> CheckScript(const std::string& text);

// Counts the diagnostics of one severity.
int CountSeverity(const std::vector<Diagnostic>& diagnostics, Severity severity);

}  // namespace checker

#endif
