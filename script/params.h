// The text layer under every command: the parameter splitter, variable
// expansion, the integer value and the bounded append.
#ifndef KESTRO_SCRIPT_PARAMS_H
#define KESTRO_SCRIPT_PARAMS_H

namespace script {

// Reads the next field of `line` from *cursor into `out` (kBufSize bytes),
// applying backslash escapes and trimming. `delim` is ',' or 0 (the rest of
// the line). Returns the end-of-line flag: true when delim is ',' and the
// field ran to the end of the line instead of ending at a comma.
bool SplitField(char delim, const char* line, int* cursor, char* out);

// Replaces %NAME% references in the line buffer (kBufSize bytes) with their
// values. On an unterminated reference it reports the error, leaves the line
// as it was and returns false.
bool ExpandVariables(char* line);

// The integer value of a text: optional blanks and sign, then decimal digits,
// accumulated with 32-bit wrap-around; anything else ends it; no digits give 0.
int IntegerValue(const char* text);

// Appends src to dest, stopping when dest holds kStatusMax characters.
void BoundedAppend(const char* src, char* dest);

}  // namespace script

#endif
