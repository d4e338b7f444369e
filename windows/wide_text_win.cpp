// UTF-8 <-> UTF-16 for the W functions a UTF-8 script's text goes through.
#include "windows/wide_text_win.h"

#include <string.h>

#include "script/text_encoding.h"

namespace windows {

namespace {

wchar_t g_slots[kWideSlots][kWideSize];

// A byte that is not part of valid UTF-8 (text read from an ANSI file, say)
// travels as the lone low surrogate U+DC00 + byte, and comes back as that
// byte: so such bytes go through a variable, the clipboard or a title and
// back unchanged, where a conversion to U+FFFD would lose them.
const unsigned kEscapedByte = 0xDC00;

}  // namespace

wchar_t* Wide(const char* utf8, int slot) {
  if (utf8 == NULL) return NULL;
  wchar_t* wide = g_slots[slot];
  size_t size = strlen(utf8);
  int n = 0;
  for (size_t pos = 0; pos < size;) {
    unsigned c;
    size_t len = script::DecodeUtf8(utf8, size, pos, &c);
    if (len == 0) {
      c = kEscapedByte + static_cast<unsigned char>(utf8[pos]);
      len = 1;
    }
    int units = c >= 0x10000 ? 2 : 1;
    if (n + units >= kWideSize) break;  // longer than any text a command hands over
    if (units == 2) {
      wide[n++] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      c = 0xDC00 + ((c - 0x10000) & 0x3FF);
    }
    wide[n++] = static_cast<wchar_t>(c);
    pos += len;
  }
  wide[n] = 0;
  return wide;
}

void SetText(HWND window, const char* text, bool utf8) {
  if (utf8) SetWindowTextW(window, Wide(text, 0));
  else SetWindowTextA(window, text);
}

int ShowBox(HWND owner, const char* text, const char* title, UINT flags, bool utf8) {
  if (utf8) return MessageBoxW(owner, Wide(text, 0), Wide(title, 1), flags);
  return MessageBoxA(owner, text, title, flags);
}

int ToUtf8(const wchar_t* wide, char* out, int size) {
  int n = 0;
  for (; *wide; ++wide) {
    unsigned long c = *wide;
    if (c - 0xD800 < 0x800) {  // half of a surrogate pair
      unsigned long low = wide[1];
      if (c < 0xDC00 && low - 0xDC00 < 0x400) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++wide;
      } else if (c - (kEscapedByte + 0x80) < 0x80) {
        // A byte that was not UTF-8 on its way in goes back as that byte.
        if (n + 1 >= size) break;
        out[n++] = static_cast<char>(c - kEscapedByte);
        continue;
      } else {
        c = 0xFFFD;  // a half without its partner
      }
    }
    int len = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    if (n + len >= size) break;
    // Continuation bytes from the last one back, then the lead byte, whose
    // high bits (C0, E0, F0) say how many bytes follow.
    for (int i = len - 1; i > 0; --i) {
      out[n + i] = static_cast<char>(0x80 | (c & 0x3F));
      c >>= 6;
    }
    out[n] = static_cast<char>(len == 1 ? c : (((0xFF00UL >> len) & 0xFF) | c));
    n += len;
  }
  out[n] = '\0';
  return n;
}

}  // namespace windows
