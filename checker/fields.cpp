// Splits a stored line into fields with the runner's own splitter, keeping
// where each field stands so that findings point at the right columns.
#include "checker/fields.h"

#include "script/limits.h"
#include "script/params.h"

namespace checker {

// Follows the expansion's reading of the line: a backslash toggles the escape
// state, an escaped percent sign is text, and any other percent sign opens a
// reference that runs to the next one.
bool LineReader::ReplaceReferences(const std::string& stored, int* bad_at) {
  replaced_.clear();
  raw_.clear();
  raw_end_.clear();
  cursor_ = 0;
  bool escaped = false;
  for (size_t i = 0; i < stored.size(); ++i) {
    char c = stored[i];
    if (c == '%' && !escaped) {
      size_t close = stored.find('%', i + 1);
      if (close == std::string::npos) {
        *bad_at = static_cast<int>(i);
        return false;
      }
      replaced_.push_back(kUnknown);
      raw_.push_back(static_cast<int>(i));
      raw_end_.push_back(static_cast<int>(close + 1));
      i = close;
      continue;
    }
    escaped = c == '\\' ? !escaped : false;
    replaced_.push_back(c);
    raw_.push_back(static_cast<int>(i));
    raw_end_.push_back(static_cast<int>(i + 1));
  }
  raw_.push_back(static_cast<int>(stored.size()));
  return true;
}

Field LineReader::Next(char delim) {
  Field field;
  int before = cursor_;
  // A stored line holds at most 1023 characters, and a field is never longer
  // than the line it comes from.
  char out[script::kBufSize];
  field.at_end = script::SplitFieldInto(delim, replaced_.c_str(), &cursor_, out,
                                        static_cast<int>(sizeof out));
  field.text = out;
  // The span the field came from, without blanks and the closing comma.
  size_t first = static_cast<size_t>(before);
  size_t last = static_cast<size_t>(cursor_);
  if (last > first && !field.at_end && delim != 0) --last;  // the comma
  while (first < last && (replaced_[first] == ' ' || replaced_[first] == '\t')) ++first;
  while (last > first && (replaced_[last - 1] == ' ' || replaced_[last - 1] == '\t')) --last;
  field.start = raw_[first];
  field.end = last > first ? raw_end_[last - 1] : raw_[first];
  return field;
}

bool LineReader::RestIsBlank() const {
  for (size_t i = static_cast<size_t>(cursor_); i < replaced_.size(); ++i) {
    if (replaced_[i] != ' ' && replaced_[i] != '\t') return false;
  }
  return true;
}

int LineReader::Offset() const { return raw_[static_cast<size_t>(cursor_)]; }

}  // namespace checker
