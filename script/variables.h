// The variable store: the clipboard, the date and time built-ins, and the
// process environment.
#ifndef KESTRO_SCRIPT_VARIABLES_H
#define KESTRO_SCRIPT_VARIABLES_H

namespace script {

struct Services;

// Reads a variable: built-in names first, then the environment. Writes at most
// size characters into out (size + 1 bytes), always terminated; "" if undefined.
void ReadVariable(const Services& sys, const char* name, char* out, int size);

// Writes a variable: "clipboard" (any case) sets the clipboard text, any other
// name an environment variable.
void WriteVariable(const Services& sys, const char* name, const char* value);

}  // namespace script

#endif
