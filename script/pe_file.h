// The few PE header fields a packed program's loader and the packer read:
// where an Authenticode certificate table lies, so the script ends before it.
#ifndef KESTRO_SCRIPT_PE_FILE_H
#define KESTRO_SCRIPT_PE_FILE_H

#include <stddef.h>

namespace script {

// The certificate table named by the optional header's security directory
// (data directory entry 4). Unlike the other entries, its "address" is a file
// offset, not a memory address.
struct CertificateTable {
  size_t entry;   // file offset of the 8-byte directory entry itself
  size_t offset;  // file offset of the table
  size_t size;    // its size in bytes
  bool at_end;    // the table ends the file (up to 7 zero bytes may follow)
};

// True when the bytes begin with an MZ header whose e_lfanew (offset 0x3C)
// points at a "PE\0\0" signature inside them: the one test of "is this a
// Windows program" that the packer and the certificate search share.
bool IsPeImage(const unsigned char* data, size_t size);

// Reads the security directory of a PE image. False when the bytes are not a
// PE image whose headers hold that entry, or when the entry is empty (the
// file is not signed). A table that does not lie inside the file is reported
// with `at_end` false.
bool FindCertificateTable(const unsigned char* data, size_t size, CertificateTable* table);

// Where the script data of a program file ends: at the start of a certificate
// table that ends the file (one added by signing the packed program), and at
// the end of the file otherwise.
size_t ScriptDataEnd(const unsigned char* data, size_t size);

}  // namespace script

#endif
