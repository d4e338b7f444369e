// Script files as people write them: an optional UTF-8 byte-order mark, then
// lines ended by LF, CR LF or a lone CR. The packer and the checker read them
// line by line with these, so that both count the same lines.
#ifndef KESTRO_SCRIPT_FILE_LINES_H
#define KESTRO_SCRIPT_FILE_LINES_H

#include <stddef.h>

namespace script {

// Where the first line starts: 3 after a leading UTF-8 byte-order mark, else 0.
size_t SkipByteOrderMark(const char* text, size_t size);

// One line of a script file.
struct FileLine {
  size_t start;   // offset of its first byte
  size_t length;  // its bytes, without the line end
  bool ended;     // a line end follows it (the last line of a file may have none)
};

// Reads the line at *pos, up to the first LF, CR LF or lone CR or the end of
// the text, and moves *pos past its line end. False when *pos is at the end:
// text that ends with a line end has no empty line after it. Any byte other
// than CR and LF, NUL included, belongs to the line.
bool NextFileLine(const char* text, size_t size, size_t* pos, FileLine* line);

}  // namespace script

#endif
