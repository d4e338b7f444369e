// Reads script text into lines the way the packer writes and the loader
// stores them, keeping the offsets the checker's columns need.
#include "checker/lines.h"

#include <string.h>

#include "script/file_lines.h"
#include "script/limits.h"
#include "script/loader.h"
#include "script/text.h"
#include "script/text_encoding.h"

namespace checker {

namespace {

// Fills one line record from the bytes of a physical line.
ScriptText MakeLine(int number, const std::string& raw, bool adlib, bool utf8) {
  ScriptText line;
  line.number = number;
  line.raw = raw;
  line.length = static_cast<int>(raw.size());
  line.has_nul = raw.find('\0') != std::string::npos;
  size_t max = static_cast<size_t>(script::kMaxStoredLine);
  std::string kept = raw.substr(0, utf8 ? script::Utf8CutLength(raw.data(), raw.size(), max) : max);
  kept = kept.substr(0, strlen(kept.c_str()));  // a NUL ends the text
  size_t start = 0;
  while (start < kept.size() && (kept[start] == ' ' || kept[start] == '\t')) ++start;
  line.lead = static_cast<int>(start);
  std::vector<char> buf(kept.begin(), kept.end());
  buf.push_back('\0');
  script::Trim(&buf[0]);
  line.text = &buf[0];
  line.adlib = adlib;
  line.marker = script::IsAdlibMarker(line.text.c_str());
  line.stored = !line.marker && !line.text.empty() && line.text[0] != ';';
  return line;
}

}  // namespace

std::vector<ScriptText> ReadScriptLines(const std::string& text) {
  std::vector<ScriptText> lines;
  bool adlib = false;
  bool utf8 = script::IsUtf8Script(text.data(), text.size());
  size_t pos = script::SkipByteOrderMark(text.data(), text.size());
  script::FileLine line;
  for (int number = 1; script::NextFileLine(text.data(), text.size(), &pos, &line); ++number) {
    lines.push_back(MakeLine(number, text.substr(line.start, line.length), adlib, utf8));
    adlib = adlib || lines.back().marker;
  }
  return lines;
}

}  // namespace checker
