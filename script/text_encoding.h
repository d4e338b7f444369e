// The script's text encoding: which scripts are UTF-8, reading UTF-8 one
// character at a time, and cutting UTF-8 text without splitting a character.
#ifndef KESTRO_SCRIPT_TEXT_ENCODING_H
#define KESTRO_SCRIPT_TEXT_ENCODING_H

#include <stddef.h>

namespace script {

// The UTF-8 byte order mark and its length.
extern const char kUtf8Bom[];
const size_t kUtf8BomSize = 3;

// True when the text starts with the UTF-8 byte order mark.
bool StartsWithUtf8Bom(const char* text, size_t size);

// The rule that decides a script's kind, applied to the decoded script text:
// a text that starts with the UTF-8 byte order mark, or whose bytes are all
// valid UTF-8 and include at least one non-ASCII character, is UTF-8; any
// other text (plain ASCII included) is ANSI.
bool IsUtf8Script(const char* text, size_t size);

// True when every byte of the text belongs to a valid UTF-8 sequence.
bool IsValidUtf8(const char* text, size_t size);

// Decodes the one character that starts at text[pos] (pos < size) into *cp and
// returns its length in bytes, 1 to 4. Strict UTF-8: an overlong form, a
// surrogate (U+D800 to U+DFFF), a value above U+10FFFF, a stray continuation
// byte, a byte that never starts a sequence or a sequence cut short by the end
// (or by any byte that is not a continuation byte) gives 0 and leaves *cp alone.
size_t DecodeUtf8(const char* text, size_t size, size_t pos, unsigned* cp);

// Reads the character at s[*pos] of the NUL-terminated text s, stores its
// code point in *cp and moves *pos past it. Returns false, without moving,
// at the terminating NUL. A byte that does not start a valid sequence (text
// read from an ANSI file, say) gives U+FFFD and moves on by that one byte, so
// a loop over this function always ends. Never reads past the NUL.
//   size_t pos = 0; unsigned cp;
//   while (NextCodePoint(text, &pos, &cp)) Type(cp);
bool NextCodePoint(const char* s, size_t* pos, unsigned* cp);

// The length, at most max, at which to cut the UTF-8 text of `length` bytes:
// min(length, max), moved back to the start of the character that the cut
// would split. Invalid bytes count as characters of one byte.
size_t Utf8CutLength(const char* text, size_t length, size_t max);

// Ends the NUL-terminated text at most max bytes after its start: for UTF-8
// text at the character boundary Utf8CutLength gives, for ANSI text at max.
void CutText(char* text, size_t max, bool utf8);

// The number of characters in the first `length` bytes of UTF-8 text; each
// invalid byte counts as one character.
size_t CountCodePoints(const char* text, size_t length);

// The platform id of the Windows 95 family (95, 98 and Me) in the system's
// version record; the NT family's is 2.
const unsigned long kPlatformWin95Family = 1;

// Why a script of this kind cannot run on the platform given by its version
// record's platform id, as the text that stops it at load; null when it can
// run. A UTF-8 script's text goes through the W functions, which do nothing
// on the 95 family: there it would run with empty titles and variables.
const char* ScriptKindRefusal(unsigned long platform_id, bool utf8);

}  // namespace script

#endif
