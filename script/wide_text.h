// UTF-16 text as the W functions of Windows take it, over 16-bit units:
// surrogate pairs, UTF-8 <-> UTF-16 within a limit, and encoding UTF-8.
#ifndef KESTRO_SCRIPT_WIDE_TEXT_H
#define KESTRO_SCRIPT_WIDE_TEXT_H

#include <stddef.h>

namespace script {

// A character beyond U+FFFF travels as two units: a high surrogate
// (U+D800 to U+DBFF) followed by a low one (U+DC00 to U+DFFF).
inline bool IsHighSurrogate(unsigned unit) { return unit - 0xD800u < 0x400u; }
inline bool IsLowSurrogate(unsigned unit) { return unit - 0xDC00u < 0x400u; }

// The character a high and a low surrogate stand for.
inline unsigned JoinSurrogates(unsigned high, unsigned low) {
  return 0x10000u + ((high - 0xD800u) << 10) + (low - 0xDC00u);
}

// Writes the UTF-16 units of a character (below U+110000, not a surrogate):
// one unit, or a surrogate pair for a character beyond U+FFFF. Returns 1 or 2.
int SplitIntoUnits(unsigned cp, char16_t units[2]);

// A byte that is not part of valid UTF-8 (text read from an ANSI file, say)
// travels as the lone low surrogate U+DC00 + byte, U+DC80 to U+DCFF, and comes
// back as that byte: so such bytes go through a variable, the clipboard or a
// title and back unchanged, where U+FFFD would lose them.
const unsigned kEscapedByteBase = 0xDC00;

// Writes a character in UTF-8 (1 to 4 bytes) and returns its length; 0, and
// nothing written, for a surrogate or a value beyond U+10FFFF.
size_t EncodeUtf8(unsigned cp, char out[4]);

// Writes UTF-8 text (size bytes) into out as UTF-16: at most capacity - 1
// units and a zero (capacity > 0), cut before the first character that does
// not fit whole, so a surrogate pair is never split. A byte that is not valid
// UTF-8 becomes its escape (kEscapedByteBase + byte). Returns the units
// written, the zero not counted.
size_t Utf8ToUtf16(const char* text, size_t size, char16_t* out, size_t capacity);

// Writes UTF-16 text (length units) into out as UTF-8: at most size - 1 bytes
// and a NUL (size > 0), cut before the first character that does not fit
// whole. A surrogate pair gives its character; a lone U+DC80 to U+DCFF gives
// back the byte it stands for; any other lone surrogate gives U+FFFD. Returns
// the bytes written, the NUL not counted.
size_t Utf16ToUtf8(const char16_t* units, size_t length, char* out, size_t size);

// The number of units before the first zero unit.
size_t Utf16Length(const char16_t* units);

}  // namespace script

#endif
