// kestro-pack check, and the check that kestro-pack build makes first.
#ifndef KESTRO_PACKER_CHECK_COMMAND_H
#define KESTRO_PACKER_CHECK_COMMAND_H

#include <string>

namespace packer {

// True when kestro-pack check's options ask for its usage (--help or -h).
bool CheckWantsHelp(int argc, char** argv);

// kestro-pack check SCRIPT... [--werror] [--format text|json | --json]: prints the
// findings and a summary; returns the exit code (0 clean or warnings only,
// 1 errors or an unreadable script, 2 a wrong command line).
int CheckCommand(int argc, char** argv);

// The check before a build: prints the script's findings to standard error
// and returns false when it holds an error (the build then stops); `error`
// tells why.
bool CheckBeforeBuild(const std::string& script, std::string* error);

}  // namespace packer

#endif
