// Fuzz target: the script checker on any bytes. It must neither crash nor
// hang, every finding must point inside the script, and its reading of the
// lines must be the loader's.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "checker/check.h"
#include "checker/lines.h"
#include "checker/report.h"
#include "script/container.h"
#include "script/file_lines.h"
#include "script/loader.h"

namespace {

// What packing writes for the text: each line ended by one LF, a leading
// BOM kept. (The packer refuses NUL bytes and long lines; the loader copes.)
std::string AsPacked(const std::string& text) {
  size_t pos = script::SkipByteOrderMark(text.data(), text.size());
  std::string out(text, 0, pos);
  script::FileLine line;
  while (script::NextFileLine(text.data(), text.size(), &pos, &line)) {
    out.append(text, line.start, line.length);
    if (line.ended) out += '\n';
  }
  return out;
}

// The stored lines as the loader builds them from a container of the text,
// written as "M<number>:<text>" and "A<number>:<text>".
std::vector<std::string> Loaded(const std::string& text) {
  std::vector<unsigned char> data(script::kContainerMarker,
                                  script::kContainerMarker + script::kContainerMarkerLen);
  data.push_back('\n');
  data.push_back('\n');  // the ignored line
  size_t start = data.size();
  data.insert(data.end(), text.begin(), text.end());
  script::EncodeBytes(data.empty() ? 0 : &data[0] + start, data.size() - start);
  script::Sections sections;
  std::vector<std::string> out;
  if (script::LoadScript(&data[0], data.size(), &sections) != script::kLoadOk) abort();
  for (script::ScriptLine* l = sections.main.head; l; l = l->next)
    out.push_back("M" + std::to_string(l->number) + ":" + l->text);
  for (script::ScriptLine* l = sections.adlib.head; l; l = l->next)
    out.push_back("A" + std::to_string(l->number) + ":" + l->text);
  script::FreeSection(&sections.main);
  script::FreeSection(&sections.adlib);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<checker::ScriptText> lines = checker::ReadScriptLines(text);
  std::vector<checker::Diagnostic> found = checker::CheckScript(text);
  for (size_t i = 0; i < found.size(); ++i) {
    const checker::Diagnostic& d = found[i];
    if (d.line < 1 || d.line > static_cast<int>(lines.size())) abort();
    const checker::ScriptText& line = lines[static_cast<size_t>(d.line - 1)];
    if (d.column < 1 || d.end_column <= d.column) abort();
    if (d.column > line.length + 1 && d.code != "long-line") abort();
    if (d.message.empty() || d.code.empty()) abort();
    checker::FormatJsonItem("fuzz.kst", d);
  }
  // The checker keeps what the loader keeps, line for line.
  std::vector<std::string> read;
  for (size_t pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!lines[i].stored || lines[i].adlib != (pass == 1)) continue;
      read.push_back(std::string(pass ? "A" : "M") + std::to_string(lines[i].number) + ":" +
                     lines[i].text);
    }
  }
  if (read != Loaded(AsPacked(text))) abort();
  return 0;
}
