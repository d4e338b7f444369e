// Finds the Authenticode certificate table of a PE file in its bytes, reading
// only what lies inside them.
//
// The headers read: the MZ header's e_lfanew (offset 0x3C) points at "PE\0\0",
// followed by the 20-byte file header (the optional header's size at +16) and
// the optional header, whose magic 0x10B (PE32) or 0x20B (PE32+) places the
// data directories at +96 or +112, after their count. Entry 4 is the security
// directory: file offset and size of the certificate table, which signing
// tools append at the end of the file, 8-byte aligned. Any field that points
// outside the bytes, a directory count or optional header too small to hold
// entry 4, or an unknown magic means "no table"; nothing is read past `size`.
#include "script/pe_file.h"

namespace script {

namespace {

const size_t kSecurityDirectory = 4;
const size_t kDirectoryEntrySize = 8;

unsigned long Read16(const unsigned char* p) {
  return static_cast<unsigned long>(p[0]) | static_cast<unsigned long>(p[1]) << 8;
}

unsigned long Read32(const unsigned char* p) {
  return Read16(p) | Read16(p + 2) << 16;
}

// True when `len` bytes starting at `pos` lie inside `size` bytes (no overflow).
bool Fits(size_t size, size_t pos, size_t len) { return pos <= size && size - pos >= len; }

// A certificate table starts with a WIN_CERTIFICATE header: its length (at
// least the 8-byte header, at most the table) and revision 1.0 or 2.0.
bool LooksLikeCertificate(const unsigned char* data, size_t size) {
  if (size < kDirectoryEntrySize) return false;
  unsigned long length = Read32(data);
  unsigned long revision = Read16(data + 4);
  return length >= kDirectoryEntrySize && length <= size &&
         (revision == 0x0100 || revision == 0x0200);
}

}  // namespace

bool IsPeImage(const unsigned char* data, size_t size) {
  if (!data || size < 0x40 || data[0] != 'M' || data[1] != 'Z') return false;
  size_t pe = Read32(data + 0x3C);
  if (!Fits(size, pe, 4)) return false;
  return data[pe] == 'P' && data[pe + 1] == 'E' && data[pe + 2] == 0 && data[pe + 3] == 0;
}

bool FindCertificateTable(const unsigned char* data, size_t size, CertificateTable* table) {
  if (!IsPeImage(data, size)) return false;
  size_t pe = Read32(data + 0x3C);
  const size_t kFileHeader = 20;
  if (!Fits(size, pe, 4 + kFileHeader)) return false;
  size_t optional_size = Read16(data + pe + 4 + 16);
  size_t optional = pe + 4 + kFileHeader;
  if (!Fits(size, optional, 2)) return false;
  size_t directories;
  switch (Read16(data + optional)) {
    case 0x10B: directories = 96; break;   // PE32
    case 0x20B: directories = 112; break;  // PE32+
    default: return false;
  }
  size_t entry_at = directories + kSecurityDirectory * kDirectoryEntrySize;
  if (optional_size < entry_at + kDirectoryEntrySize) return false;
  if (!Fits(size, optional, entry_at + kDirectoryEntrySize)) return false;
  if (Read32(data + optional + directories - 4) <= kSecurityDirectory) return false;

  size_t entry = optional + entry_at;
  size_t offset = Read32(data + entry);
  size_t length = Read32(data + entry + 4);
  if (offset == 0 && length == 0) return false;
  table->entry = entry;
  table->offset = offset;
  table->size = length;
  table->at_end = false;
  // The table must lie after the headers and inside the file; signing tools
  // round the file up to 8 bytes with zeros, which may trail the table.
  if (offset < entry + kDirectoryEntrySize || !Fits(size, offset, length)) return true;
  if (!LooksLikeCertificate(data + offset, length)) return true;
  size_t after = offset + length;
  if (size - after >= 8) return true;
  for (size_t i = after; i < size; ++i)
    if (data[i] != 0) return true;
  table->at_end = true;
  return true;
}

size_t ScriptDataEnd(const unsigned char* data, size_t size) {
  CertificateTable table;
  if (FindCertificateTable(data, size, &table) && table.at_end) return table.offset;
  return size;
}

}  // namespace script
