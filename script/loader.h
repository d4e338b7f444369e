// Script lines, the two sections, and the loader that builds them from the
// bytes of a file carrying a script container.
#ifndef KESTRO_SCRIPT_LOADER_H
#define KESTRO_SCRIPT_LOADER_H

#include <stddef.h>

namespace script {

// One stored script line; the lines of a section form a singly linked list.
struct ScriptLine {
  ScriptLine* next;  // following line of the same section, or null
  char* text;        // trimmed text, 1 to 1023 characters, never starting with ";"
  int number;        // position in the decoded script text, from 1
};

struct Section {
  ScriptLine* head;  // first line, or null
  ScriptLine* tail;  // last line while loading
};

struct Sections {
  Section main;   // lines before the first "[ADLIB]" line
  Section adlib;  // lines after it
  bool utf8;      // the script's text is UTF-8 (decided from its bytes when it is
                  // loaded); otherwise it is in the ANSI code page
};

enum LoadResult {
  kLoadOk = 0,
  kLoadNoContainer,   // empty file, or no line is the container marker
  kLoadOutOfMemory    // a line record could not be allocated
};

// Finds the container in `data` and builds both sections into `out` (which
// must be empty). On failure every line already built is freed again.
LoadResult LoadScript(const unsigned char* data, size_t size, Sections* out);

// Stores a copy of text as a new line at the end of the section, unless the
// text is empty or starts with ";". Returns false when memory runs out.
bool AppendLine(Section* section, int number, const char* text);

// True when a trimmed line starts the Adlib section: its first seven
// characters are "[ADLIB]" in any letter case, whatever follows them.
bool IsAdlibMarker(const char* text);

// Frees every line of the section and leaves it empty.
void FreeSection(Section* section);

}  // namespace script

#endif
