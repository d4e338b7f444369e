// The text layer under every command: the parameter splitter, variable
// expansion, the integer value and the bounded append.
#ifndef KESTRO_SCRIPT_PARAMS_H
#define KESTRO_SCRIPT_PARAMS_H

namespace script {

struct Services;

// Reads the next field of `line` from *cursor into `out` (kBufSize bytes),
// applying backslash escapes and trimming. `delim` is ',' or 0 (the rest of
// the line). Returns the end-of-line flag: true when delim is ',' and the
// field ran to the end of the line instead of ending at a comma.
bool SplitField(char delim, const char* line, int* cursor, char* out);

// The same into an output of `size` bytes (size > 0): a longer field is cut,
// but the cursor still moves past all of it.
bool SplitFieldInto(char delim, const char* line, int* cursor, char* out, int size);

// Replaces %NAME% references in the line buffer (kBufSize bytes) with their
// values. On an unterminated reference it leaves the line as it was and
// returns false; the caller reports kBadReference. In a UTF-8 script (utf8)
// the length limit never splits a character: one it would split is left out.
bool ExpandVariables(const Services& sys, char* line, bool utf8 = false);

// The error of a reference without its closing percent sign.
extern const char kBadReference[];

// The integer value of a text: optional blanks and sign, then decimal digits,
// accumulated with 32-bit wrap-around; anything else ends it; no digits give 0.
int IntegerValue(const char* text);

// Appends src to dest, stopping when dest holds kStatusMax characters.
void BoundedAppend(const char* src, char* dest);

}  // namespace script

#endif
