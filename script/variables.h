// The variable store: the clipboard, the date and time built-ins, and the
// process environment.
#ifndef KESTRO_SCRIPT_VARIABLES_H
#define KESTRO_SCRIPT_VARIABLES_H

namespace script {

// Reads a variable: built-in names first, then the environment. Writes at most
// size characters into out (size + 1 bytes), always terminated; "" if undefined.
void ReadVariable(const char* name, char* out, int size);

// Writes a variable: "clipboard" (any case) sets the clipboard text, any other
// name an environment variable.
void WriteVariable(const char* name, const char* value);

}  // namespace script

#endif
