// Reads script text into lines the way the packer writes and the loader
// stores them, keeping the offsets the checker's columns need.
#include "checker/lines.h"

#include <string.h>

#include "script/limits.h"
#include "script/text.h"

namespace checker {

namespace {

// True when the trimmed text starts with "[ADLIB]" in any letter case.
bool IsAdlibMarker(const std::string& text) {
  char head[8];
  script::CopyText(head, text.c_str(), sizeof head);
  return script::EqualsNoCase(head, "[ADLIB]");
}

// Fills one line record from the bytes of a physical line.
ScriptText MakeLine(int number, const std::string& raw, bool adlib) {
  ScriptText line;
  line.number = number;
  line.length = static_cast<int>(raw.size());
  line.has_nul = raw.find('\0') != std::string::npos;
  std::string kept = raw.substr(0, static_cast<size_t>(script::kMaxStoredLine));
  kept = kept.substr(0, strlen(kept.c_str()));  // a NUL ends the text
  size_t start = 0;
  while (start < kept.size() && (kept[start] == ' ' || kept[start] == '\t')) ++start;
  line.lead = static_cast<int>(start);
  std::vector<char> buf(kept.begin(), kept.end());
  buf.push_back('\0');
  script::Trim(&buf[0]);
  line.text = &buf[0];
  line.adlib = adlib;
  line.marker = IsAdlibMarker(line.text);
  line.stored = !line.marker && !line.text.empty() && line.text[0] != ';';
  return line;
}

}  // namespace

std::vector<ScriptText> ReadScriptLines(const std::string& text) {
  std::vector<ScriptText> lines;
  bool adlib = false;
  int number = 1;
  std::string raw;
  bool pending = false;  // bytes after the last line end form a last line
  for (size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\n' && c != '\r') {
      raw.push_back(c);
      pending = true;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    lines.push_back(MakeLine(number++, raw, adlib));
    adlib = adlib || lines.back().marker;
    raw.clear();
    pending = false;
  }
  if (pending) lines.push_back(MakeLine(number, raw, adlib));
  return lines;
}

}  // namespace checker
