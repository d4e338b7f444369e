// Reads script files line by line: the byte-order mark and the three line ends.
#include "script/file_lines.h"

#include "script/text_encoding.h"

namespace script {

size_t SkipByteOrderMark(const char* text, size_t size) {
  return StartsWithUtf8Bom(text, size) ? kUtf8BomSize : 0;
}

bool NextFileLine(const char* text, size_t size, size_t* pos, FileLine* line) {
  size_t i = *pos;
  if (i >= size) return false;
  line->start = i;
  while (i < size && text[i] != '\n' && text[i] != '\r') ++i;
  line->length = i - line->start;
  line->ended = i < size;
  if (i < size && text[i] == '\r' && i + 1 < size && text[i + 1] == '\n') ++i;
  *pos = line->ended ? i + 1 : i;
  return true;
}

}  // namespace script
