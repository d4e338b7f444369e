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

int ToUtf8(const wchar_t* wide, char* out, int size) {
  int n = 0;
  for (const wchar_t* p = wide; *p; ++p) {
    unsigned long c = *p;
    bool pair = c >= 0xD800 && c < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000;
    if (pair) c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned long>(p[1]) - 0xDC00);
    else if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
    int len = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    if (n + len > size - 1) break;
    // Continuation bytes from the last one back, then the lead byte.
    static const unsigned char kLead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int i = len - 1; i > 0; --i) {
      out[n + i] = static_cast<char>(0x80 | (c & 0x3F));
      c >>= 6;
    }
    out[n] = static_cast<char>(len == 1 ? c : (kLead[len] | c));
    n += len;
    if (pair) ++p;
  }
  out[n] = '\0';
  return n;
}

}  // namespace windows
