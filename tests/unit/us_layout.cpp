// The US keyboard layout of the scanner tests: the VkKeyScan-style answers
// (shift state in the high byte) for the characters the tests type.
#include "tests/unit/us_layout.h"

namespace test_layout {

int UsKeyForChar(void*, unsigned char c) {
  const int shift = 0x100;
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if (c >= 'A' && c <= 'Z') return shift | c;
  if (c >= '0' && c <= '9') return c;
  switch (c) {
    case ' ': return 0x20;
    case '!': return shift | '1';
    case '#': return shift | '3';
    case '^': return shift | '6';
    case '+': return shift | 0xBB;
    case ',': return 0xBC;
    case '{': return shift | 0xDB;
    case '}': return shift | 0xDD;
    case '\\': return 0xDC;
    case '\n': return 0x200 | 0x0D;  // Ctrl+Enter, as the real layout answers
  }
  return 0xFFFF;  // the layout has no key for it
}

int UsScanForKey(void*, int vk) { return 0x100 + vk; }
int UsScanForChar(void*, unsigned char c) { return 0x300 + c; }

int UsKeyForCodePoint(void* context, unsigned cp) {
  return cp < 0x80 ? UsKeyForChar(context, static_cast<unsigned char>(cp)) : 0xFFFF;
}

int UsScanForCodePoint(void*, unsigned cp) { return static_cast<int>(0x300 + cp); }

}  // namespace test_layout
