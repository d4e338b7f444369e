// A stored line seen the way the runner will split it, with every %NAME%
// reference standing for text the checker cannot know.
#ifndef KESTRO_CHECKER_FIELDS_H
#define KESTRO_CHECKER_FIELDS_H

#include <string>
#include <vector>

namespace checker {

// Stands for a reference's value in a field's text. A value never adds a
// comma or an escape (expansion escapes its commas and backslashes), so a
// reference is one opaque character as far as splitting goes.
const char kUnknown = '\x01';

// One field read with the splitter.
struct Field {
  std::string text;  // escapes removed and trimmed, kUnknown for each reference
  int start;         // offset in the stored text of its first non-blank character
  int end;           // offset just after its last character (before the comma)
  bool at_end;       // the field ran to the end of the line instead of a comma
  bool dynamic() const { return text.find(kUnknown) != std::string::npos; }
};

// A stored line with its references replaced, and a cursor into it.
class LineReader {
 public:
  // Starts on a stored line: replaces each reference by kUnknown. False when a
  // reference never closes; `bad_at` is then the offset of its opening percent sign.
  bool ReplaceReferences(const std::string& stored, int* bad_at);

  // Reads the next field: delimiter ',' or 0 for the rest of the line.
  Field Next(char delim);

  // True when nothing but blanks is left after the cursor.
  bool RestIsBlank() const;

  // Offset in the stored text of the cursor.
  int Offset() const;

 private:
  std::string replaced_;      // the stored line, each reference replaced by kUnknown
  std::vector<int> raw_;      // offset in the stored text of each replaced_ character, and of the end
  std::vector<int> raw_end_;  // offset just after each replaced_ character (a reference's closing "%")
  int cursor_;
};

}  // namespace checker

#endif
