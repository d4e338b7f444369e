// The script container appended to the runner: marker line, ignored line and
// the position-encoded script. Shared by the runner's loader and the packer.
#ifndef KESTRO_SCRIPT_CONTAINER_H
#define KESTRO_SCRIPT_CONTAINER_H

#include <stddef.h>

namespace script {

// The 38-character marker text. It is stored behind a prefix byte so that the
// runner's own copy never stands at the start of a line in its file.
extern const char* const kContainerMarker;
const size_t kContainerMarkerLen = 38;

// Where the pieces of a container lie in a file's bytes.
struct ContainerInfo {
  size_t marker;        // offset of the marker text (its line starts here)
  size_t ignored;       // offset of the ignored line
  size_t ignored_len;   // its length without the line feed
  size_t script;        // offset of the first encoded byte
};

// Finds the first line that is exactly the marker text followed by a line
// feed, at the start of the data or right after a line feed.
bool FindContainer(const unsigned char* data, size_t size, ContainerInfo* info);

// The scramble of one byte at position counter c (0..255, wrapping).
unsigned char EncodeByte(unsigned char plain, unsigned char c);
unsigned char DecodeByte(unsigned char encoded, unsigned char c);

// Encodes or decodes n bytes in place, the first at position counter 0.
void EncodeBytes(unsigned char* bytes, size_t n);
void DecodeBytes(unsigned char* bytes, size_t n);

}  // namespace script

#endif
