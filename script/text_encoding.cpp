// The script's text encoding: the UTF-8 rule, a strict UTF-8 decoder, and
// cutting and counting UTF-8 text by characters.
#include "script/text_encoding.h"

#include <string.h>

namespace script {

const char kUtf8Bom[] = "\xEF\xBB\xBF";

static bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

bool StartsWithUtf8Bom(const char* text, size_t size) {
  return size >= kUtf8BomSize && memcmp(text, kUtf8Bom, kUtf8BomSize) == 0;
}

// The lead byte gives the length and the range of the second byte; that range
// is what rules out overlong forms (E0, F0), surrogates (ED) and values above
// U+10FFFF (F4). Every further byte is a plain continuation byte.
size_t DecodeUtf8(const char* text, size_t size, size_t pos, unsigned* cp) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text) + pos;
  size_t left = size - pos;
  unsigned char b0 = s[0];
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  }
  size_t n;
  unsigned char lo = 0x80, hi = 0xBF;
  unsigned value;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2;
    value = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3;
    value = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4;
    value = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;  // C0, C1, F5 to FF and stray continuation bytes
  }
  for (size_t i = 1; i < n; ++i) {
    if (i >= left) return 0;  // cut short by the end of the text
    unsigned char b = s[i];
    if (i == 1 ? (b < lo || b > hi) : !IsContinuation(b)) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  *cp = value;
  return n;
}

bool IsValidUtf8(const char* text, size_t size) {
  size_t pos = 0;
  unsigned cp;
  while (pos < size) {
    size_t n = DecodeUtf8(text, size, pos, &cp);
    if (n == 0) return false;
    pos += n;
  }
  return true;
}

bool IsUtf8Script(const char* text, size_t size) {
  if (StartsWithUtf8Bom(text, size)) return true;
  bool non_ascii = false;
  for (size_t i = 0; i < size && !non_ascii; ++i) non_ascii = (text[i] & 0x80) != 0;
  return non_ascii && IsValidUtf8(text, size);
}

// The NUL ends the text: it is not a continuation byte, so DecodeUtf8 stops
// at it and never looks further, whatever size it is given.
bool NextCodePoint(const char* s, size_t* pos, unsigned* cp) {
  if (s[*pos] == '\0') return false;
  size_t n = DecodeUtf8(s, *pos + 4, *pos, cp);
  if (n == 0) {
    *cp = 0xFFFD;
    n = 1;
  }
  *pos += n;
  return true;
}

// A cut at `max` splits a character only when the byte there is a continuation
// byte of a valid sequence that starts at most three bytes before it.
size_t Utf8CutLength(const char* text, size_t length, size_t max) {
  if (length <= max) return length;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  if (!IsContinuation(s[max])) return max;
  size_t start = max;
  while (start > 0 && max - start < 3 && IsContinuation(s[start])) --start;
  unsigned cp;
  size_t n = DecodeUtf8(text, length, start, &cp);
  return (n > 0 && start + n > max) ? start : max;
}

void CutText(char* text, size_t max, bool utf8) {
  size_t length = strlen(text);
  if (length <= max) return;
  text[utf8 ? Utf8CutLength(text, length, max) : max] = '\0';
}

const char* ScriptKindRefusal(unsigned long platform_id, bool utf8) {
  if (!utf8 || platform_id != kPlatformWin95Family) return 0;
  return "This script is saved as UTF-8, which Windows 95, 98 and Me cannot run. Save it as "
         "ANSI and build it again: in Notepad, choose File > Save As, set Encoding to ANSI "
         "and save.";
}

size_t CountCodePoints(const char* text, size_t length) {
  size_t count = 0;
  size_t pos = 0;
  unsigned cp;
  while (pos < length) {
    size_t n = DecodeUtf8(text, length, pos, &cp);
    pos += n > 0 ? n : 1;
    ++count;
  }
  return count;
}

}  // namespace script
