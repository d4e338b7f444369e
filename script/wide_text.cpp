// UTF-8 <-> UTF-16 for the W functions, with the escape of bytes that are
// not UTF-8, and the UTF-8 encoder the tools share.
#include "script/wide_text.h"

#include "script/text_encoding.h"

namespace script {

int SplitIntoUnits(unsigned cp, char16_t units[2]) {
  if (cp < 0x10000) {
    units[0] = static_cast<char16_t>(cp);
    return 1;
  }
  units[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
  units[1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  return 2;
}

size_t EncodeUtf8(unsigned cp, char out[4]) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
  size_t len = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  // Continuation bytes from the last one back, then the lead byte, whose
  // high bits (C0, E0, F0) say how many bytes follow.
  for (size_t i = len - 1; i > 0; --i) {
    out[i] = static_cast<char>(0x80 | (cp & 0x3F));
    cp >>= 6;
  }
  out[0] = static_cast<char>(((0xFF00u >> len) & 0xFF) | cp);
  return len;
}

size_t Utf8ToUtf16(const char* text, size_t size, char16_t* out, size_t capacity) {
  size_t n = 0;
  for (size_t pos = 0; pos < size;) {
    unsigned cp;
    size_t len = DecodeUtf8(text, size, pos, &cp);
    if (len == 0) {
      cp = kEscapedByteBase + static_cast<unsigned char>(text[pos]);
      len = 1;
    }
    char16_t units[2];
    int count = SplitIntoUnits(cp, units);
    if (n + static_cast<size_t>(count) >= capacity) break;
    for (int i = 0; i < count; ++i) out[n++] = units[i];
    pos += len;
  }
  out[n] = 0;
  return n;
}

size_t Utf16ToUtf8(const char16_t* units, size_t length, char* out, size_t size) {
  size_t n = 0;
  for (size_t i = 0; i < length; ++i) {
    unsigned cp = units[i];
    char bytes[4];
    size_t len;
    if (IsHighSurrogate(cp) && i + 1 < length && IsLowSurrogate(units[i + 1])) {
      cp = JoinSurrogates(cp, units[++i]);
      len = EncodeUtf8(cp, bytes);
    } else if (cp - (kEscapedByteBase + 0x80) < 0x80) {
      bytes[0] = static_cast<char>(cp - kEscapedByteBase);  // the byte it stands for
      len = 1;
    } else {
      len = EncodeUtf8(cp, bytes);
      if (len == 0) len = EncodeUtf8(0xFFFD, bytes);  // a half without its partner
    }
    if (n + len >= size) break;
    for (size_t b = 0; b < len; ++b) out[n++] = bytes[b];
  }
  out[n] = '\0';
  return n;
}

size_t Utf16Length(const char16_t* units) {
  size_t n = 0;
  while (units[n] != 0) ++n;
  return n;
}

}  // namespace script
