// The variable store: the clipboard, the date and time built-ins, and the
// process environment.
#ifndef KESTRO_SCRIPT_VARIABLES_H
#define KESTRO_SCRIPT_VARIABLES_H

namespace script {

struct Services;

// Reads a variable: built-in names first, then the environment. Writes at most
// size bytes into out (size + 1 bytes), always terminated; "" if undefined.
// In a UTF-8 script (utf8) a longer value is cut before the character that
// the limit would split.
void ReadVariable(const Services& sys, const char* name, char* out, int size, bool utf8 = false);

// Writes a variable: "clipboard" (any case) sets the clipboard text, any other
// name an environment variable.
void WriteVariable(const Services& sys, const char* name, const char* value);

}  // namespace script

#endif
