// UTF-8 <-> UTF-16 for the W functions a UTF-8 script's text goes through.
#include "windows/wide_text_win.h"

namespace windows {

namespace {

wchar_t g_slots[kWideSlots][kWideSize];

}  // namespace

wchar_t* Wide(const char* utf8, int slot) {
  if (utf8 == NULL) return NULL;
  wchar_t* wide = g_slots[slot];
  // Too long a text (none is) would fail the conversion: it is then empty.
  if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, kWideSize) == 0) wide[0] = 0;
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
