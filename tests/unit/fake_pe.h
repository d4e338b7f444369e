// Small PE files for the tests: MZ and PE headers with the data directories,
// an image body, and a certificate table appended as a signing tool does.
#ifndef KESTRO_TESTS_UNIT_FAKE_PE_H
#define KESTRO_TESTS_UNIT_FAKE_PE_H

#include <stddef.h>

#include <vector>

namespace fake_pe {

typedef std::vector<unsigned char> Bytes;

const size_t kPeOffset = 0x80;                  // where e_lfanew points
const size_t kOptional = kPeOffset + 4 + 20;    // the optional header
const size_t kEntry32 = kOptional + 96 + 4 * 8;   // security entry of a PE32 file
const size_t kEntry64 = kOptional + 112 + 4 * 8;  // and of a PE32+ file

inline void Put16(Bytes* b, size_t at, unsigned long v) {
  (*b)[at] = static_cast<unsigned char>(v);
  (*b)[at + 1] = static_cast<unsigned char>(v >> 8);
}

inline void Put32(Bytes* b, size_t at, unsigned long v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// An unsigned image of `body` bytes after 0x200 bytes of headers; PE32 or PE32+.
inline Bytes Image(bool pe32_plus = false, size_t body = 0x61) {
  Bytes b(0x200 + body, 0);
  // Only a body so large that the size wraps leaves less than the headers;
  // the check also tells GCC 12 that the bytes below are there.
  if (b.size() < 0x200) return b;
  b[0] = 'M';
  b[1] = 'Z';
  Put32(&b, 0x3C, kPeOffset);
  b[kPeOffset] = 'P';
  b[kPeOffset + 1] = 'E';
  Put16(&b, kPeOffset + 4, pe32_plus ? 0x8664 : 0x14C);  // machine
  Put16(&b, kPeOffset + 4 + 16, pe32_plus ? 0xF0 : 0xE0);  // size of the optional header
  Put16(&b, kOptional, pe32_plus ? 0x20B : 0x10B);
  Put32(&b, kOptional + (pe32_plus ? 108 : 92), 16);  // number of data directories
  for (size_t i = 0x200; i < b.size(); ++i) b[i] = static_cast<unsigned char>('a' + i % 26);
  return b;
}

inline size_t EntryOf(const Bytes& image) {
  return image[kOptional + 1] == 0x02 ? kEntry64 : kEntry32;
}

// Signs as a signing tool does: zeros up to a multiple of 8 bytes, then a
// WIN_CERTIFICATE of `blob` bytes (revision 2.0, PKCS#7) padded to 8 bytes,
// and the security entry naming it.
inline Bytes Signed(Bytes file, size_t blob = 1000) {
  while (file.size() % 8) file.push_back(0);
  size_t offset = file.size();
  size_t length = 8 + blob;
  size_t table = (length + 7) / 8 * 8;
  file.resize(offset + table, 0);
  Put32(&file, offset, length);
  Put16(&file, offset + 4, 0x0200);
  Put16(&file, offset + 6, 0x0002);
  for (size_t i = 0; i < blob; ++i) file[offset + 8 + i] = static_cast<unsigned char>(0x30 + i % 7);
  size_t entry = EntryOf(file);
  Put32(&file, entry, offset);
  Put32(&file, entry + 4, table);
  return file;
}

}  // namespace fake_pe

#endif
