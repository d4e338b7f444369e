// The script container: finding the marker line in a file's bytes, and the
// keyless scramble that depends only on each byte's position in the script.
#include "script/container.h"

#include <string.h>

namespace script {

// The '#' in front keeps the runner's own copy of the marker text from ever
// standing at the start of a line in its executable, where the search would
// take it for the container.
static const char kMarkerStore[] = "#>>> Start of encoded Kestro script <<<";
const char* const kContainerMarker = kMarkerStore + 1;

// The position-dependent offset mixed into every byte.
static unsigned char Mix(unsigned char c) {
  return static_cast<unsigned char>((c / 3) * (c / 4));
}

unsigned char EncodeByte(unsigned char plain, unsigned char c) {
  return static_cast<unsigned char>(static_cast<unsigned char>(plain + c + Mix(c)) ^ c);
}

unsigned char DecodeByte(unsigned char encoded, unsigned char c) {
  return static_cast<unsigned char>((encoded ^ c) - Mix(c) - c);
}

void EncodeBytes(unsigned char* bytes, size_t n) {
  unsigned char c = 0;  // wraps from 255 to 0 on its own
  for (size_t i = 0; i < n; ++i, ++c) bytes[i] = EncodeByte(bytes[i], c);
}

void DecodeBytes(unsigned char* bytes, size_t n) {
  unsigned char c = 0;
  for (size_t i = 0; i < n; ++i, ++c) bytes[i] = DecodeByte(bytes[i], c);
}

// True when the marker line (text plus line feed) starts at `pos`.
static bool MarkerAt(const unsigned char* data, size_t size, size_t pos) {
  if (size - pos < kContainerMarkerLen + 1) return false;
  if (memcmp(data + pos, kContainerMarker, kContainerMarkerLen) != 0) return false;
  return data[pos + kContainerMarkerLen] == '\n';  // a CR before it spoils the match
}

// The file is read as lines: the marker counts only as a whole line of its
// own, at the very start or right after a line feed, exactly in this letter
// case. The line after it is ignored, however long, up to its line feed or
// the end of the data; the encoded script is everything after that.
bool FindContainer(const unsigned char* data, size_t size, ContainerInfo* info) {
  if (!data || size == 0) return false;
  size_t pos = 0;
  while (pos < size) {
    if (MarkerAt(data, size, pos)) {
      size_t ignored = pos + kContainerMarkerLen + 1;
      const void* lf = memchr(data + ignored, '\n', size - ignored);
      size_t ignored_end = lf ? static_cast<const unsigned char*>(lf) - data : size;
      info->marker = pos;
      info->ignored = ignored;
      info->ignored_len = ignored_end - ignored;
      info->script = lf ? ignored_end + 1 : size;
      return true;
    }
    const void* lf = memchr(data + pos, '\n', size - pos);
    if (!lf) return false;
    pos = static_cast<const unsigned char*>(lf) - data + 1;
  }
  return false;
}

}  // namespace script
