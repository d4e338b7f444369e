// The script's lines as the runner stores them, with what the checker needs
// to point back into the file: where each stored text starts in its line.
#ifndef KESTRO_CHECKER_LINES_H
#define KESTRO_CHECKER_LINES_H

#include <string>
#include <vector>

namespace checker {

struct ScriptText {
  int number;        // the runner's line number, from 1
  std::string text;  // the stored text: first 1023 bytes (in a UTF-8 script, whole
                     // characters), cut at a NUL, trimmed
  std::string raw;   // the whole line in the file, without its line end
  int lead;          // bytes trimmed from the start: text[0] is at column lead + 1
  int length;        // bytes of the whole line in the file, without its line end
  bool has_nul;      // the line holds a NUL byte
  bool adlib;        // the line stands in the Adlib section
  bool marker;       // the line is the "[ADLIB]" marker that starts the section
  bool stored;       // the runner keeps the line (not blank, not a comment, not a marker)
};

// Splits script text into lines the way packing and loading do: a leading
// UTF-8 BOM is dropped, CR LF and a lone CR end a line like LF does, and a
// UTF-8 script's long line is cut at a character boundary.
std::vector<ScriptText> ReadScriptLines(const std::string& text);

}  // namespace checker

#endif
