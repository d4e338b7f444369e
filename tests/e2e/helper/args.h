// Command-line options of khelper: "--name value" pairs after the subcommand.
#ifndef KESTRO_TESTS_E2E_HELPER_ARGS_H
#define KESTRO_TESTS_E2E_HELPER_ARGS_H

namespace khelper {

// The options of one subcommand, kept as pointers into argv.
struct Args {
  int count;          // number of entries in argv
  char** argv;        // the option words, starting after the subcommand
};

// Returns the value that follows "--name", or fallback when the option is absent.
const char* GetText(const Args& args, const char* name, const char* fallback);

// Returns the number that follows "--name" (decimal, or hex with 0x), or fallback.
long GetNumber(const Args& args, const char* name, long fallback);

// Writes text to the file with \, tab, CR and LF escaped as \\, \t, \r and \n.
void WriteEscaped(void* file, const char* text);

}  // namespace khelper

#endif
