// A fixed US keyboard layout for tests of the Send scanner, in the shape of
// the layout queries that script::Keyboard takes.
#ifndef KESTRO_TESTS_UNIT_US_LAYOUT_H
#define KESTRO_TESTS_UNIT_US_LAYOUT_H

namespace test_layout {

// Scan codes are made recognisable rather than real: a virtual key's scan
// code is 0x100 + vk and a character's 0x300 + its code, so after the low
// byte is taken a key shows its vk and a typed character its code.
int UsKeyForChar(void* context, unsigned char c);
int UsScanForKey(void* context, int vk);
int UsScanForChar(void* context, unsigned char c);

// The same layout asked by code point, as UTF-8 scripts ask: ASCII as above,
// and no key for any other character (scan codes 0x300 + the code point).
int UsKeyForCodePoint(void* context, unsigned cp);
int UsScanForCodePoint(void* context, unsigned cp);

}  // namespace test_layout

#endif
