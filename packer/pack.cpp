// The packer's byte work: script text normalisation, the runner check, and
// building, cutting and reading the container; plus the build command itself.
#include "packer/pack.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "script/container.h"
#include "script/file_lines.h"
#include "script/limits.h"
#include "script/loader.h"
#include "script/text_encoding.h"

namespace packer {

const char* const kIgnoredLine = "kestro-script 1";

static std::string Number(size_t n) {
  char buf[32];
  snprintf(buf, sizeof buf, "%lu", static_cast<unsigned long>(n));
  return buf;
}

// Script text is any bytes in lines ended by CR LF, LF or a lone CR, with an
// optional UTF-8 BOM in front (script/file_lines.h reads it). It is rewritten
// with LF line ends and its BOM kept; a line the runner could not hold whole
// (over 1023 bytes, or holding a NUL byte that would end it early) is refused
// with its line number rather than packed. The BOM is not part of line 1.
bool NormaliseScript(const Bytes& text, Bytes* out, std::string* error) {
  out->clear();
  out->reserve(text.size());
  const char* chars = text.empty() ? "" : reinterpret_cast<const char*>(&text[0]);
  size_t pos = script::SkipByteOrderMark(chars, text.size());
  out->insert(out->end(), chars, chars + pos);
  script::FileLine line;
  for (size_t number = 1; script::NextFileLine(chars, text.size(), &pos, &line); ++number) {
    const char* start = chars + line.start;
    if (memchr(start, '\0', line.length) != NULL) {
      *error = Number(number) + ": line holds a NUL byte, which would end the line there for "
               "the runner. Remove it.";
      return false;
    }
    if (line.length > static_cast<size_t>(script::kMaxStoredLine)) {
      *error = Number(number) + ": line is " + Number(line.length) +
               " characters long; the runner keeps only 1023. Split the line.";
      return false;
    }
    out->insert(out->end(), start, start + line.length);
    if (line.ended) out->push_back('\n');
  }
  return true;
}

std::string DescribeEncoding(const Bytes& text) {
  const char* chars = text.empty() ? "" : reinterpret_cast<const char*>(&text[0]);
  if (script::StartsWithUtf8Bom(chars, text.size())) return "UTF-8 (with a byte order mark)";
  if (script::IsUtf8Script(chars, text.size())) return "UTF-8 (no byte order mark)";
  return "ANSI";
}

bool IsPeImage(const Bytes& bytes) {
  return !bytes.empty() && script::IsPeImage(&bytes[0], bytes.size());
}

Bytes BuildContainer(const Bytes& runner, const Bytes& script) {
  size_t ignored_len = strlen(kIgnoredLine);
  size_t size = runner.size() + 1 + script::kContainerMarkerLen + 1 + ignored_len + 1 +
                script.size();
  size_t padding = (8 - size % 8) % 8;
  Bytes out(runner);
  out.reserve(size + padding);
  out.push_back('\n');
  out.insert(out.end(), script::kContainerMarker,
             script::kContainerMarker + script::kContainerMarkerLen);
  out.push_back('\n');
  out.insert(out.end(), kIgnoredLine, kIgnoredLine + ignored_len);
  out.insert(out.end(), padding, static_cast<unsigned char>(' '));
  out.push_back('\n');
  size_t start = out.size();
  out.insert(out.end(), script.begin(), script.end());
  if (!script.empty()) script::EncodeBytes(&out[start], script.size());
  return out;
}

size_t ScriptEnd(const Bytes& exe) {
  return exe.empty() ? 0 : script::ScriptDataEnd(&exe[0], exe.size());
}

// Finds the container in the script data, leaving out a trailing signature.
static bool FindContainerIn(const Bytes& exe, script::ContainerInfo* info) {
  return !exe.empty() && script::FindContainer(&exe[0], ScriptEnd(exe), info);
}

size_t RunnerEnd(const Bytes& exe) {
  script::ContainerInfo info;
  if (!FindContainerIn(exe, &info)) return exe.size();
  return info.marker > 0 ? info.marker - 1 : 0;
}

bool FindSignature(const Bytes& exe, script::CertificateTable* table) {
  return !exe.empty() && script::FindCertificateTable(&exe[0], exe.size(), table);
}

bool RemoveSignature(Bytes* exe) {
  script::CertificateTable table;
  if (!FindSignature(*exe, &table)) return false;
  if (table.at_end) exe->resize(table.offset);  // the offset lies past the entry
  memset(&(*exe)[table.entry], 0, 8);
  return true;
}

bool ExtractScript(const Bytes& exe, Bytes* script) {
  script::ContainerInfo info;
  if (!FindContainerIn(exe, &info)) return false;
  script->assign(exe.begin() + info.script, exe.begin() + ScriptEnd(exe));
  if (!script->empty()) script::DecodeBytes(&(*script)[0], script->size());
  return true;
}

static int CountLines(const script::Section& section) {
  int n = 0;
  for (const script::ScriptLine* line = section.head; line; line = line->next) ++n;
  return n;
}

bool SummariseContainer(const Bytes& exe, ContainerSummary* summary) {
  script::ContainerInfo info;
  if (!FindContainerIn(exe, &info)) return false;
  summary->script_end = ScriptEnd(exe);
  Bytes text;
  ExtractScript(exe, &text);
  summary->bytes = text.size();
  summary->encoding = DescribeEncoding(text);
  summary->lines = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') ++summary->lines;
  if (!text.empty() && text[text.size() - 1] != '\n') ++summary->lines;
  summary->ignored.assign(exe.begin() + info.ignored,
                          exe.begin() + info.ignored + info.ignored_len);
  script::Sections sections;
  memset(&sections, 0, sizeof sections);
  summary->main_lines = summary->adlib_lines = -1;  // unknown if memory ran out
  if (script::LoadScript(&exe[0], summary->script_end, &sections) == script::kLoadOk) {
    summary->main_lines = CountLines(sections.main);
    summary->adlib_lines = CountLines(sections.adlib);
  }
  script::FreeSection(&sections.main);
  script::FreeSection(&sections.adlib);
  return true;
}

bool BuildExecutable(const BuildOptions& options, std::string* error, BuildResult* result) {
  if (result) result->signature_removed = false;
  if (SamePath(options.output, options.script) || SamePath(options.output, options.runner)) {
    *error = options.output + ": output would overwrite an input file; choose another with -o";
    return false;
  }
  Bytes text, script, runner;
  if (!ReadFile(options.script, &text)) {
    *error = options.script + ": cannot read script: " + strerror(errno);
    return false;
  }
  std::string problem;
  if (!NormaliseScript(text, &script, &problem)) {
    *error = options.script + ":" + problem;
    return false;
  }
  if (!ReadFile(options.runner, &runner)) {
    *error = options.runner + ": cannot read runner: " + strerror(errno);
    return false;
  }
  if (!IsPeImage(runner)) {
    *error = options.runner + ": runner is not a Windows executable";
    return false;
  }
  size_t end = RunnerEnd(runner);
  if (end != runner.size()) {
    if (!options.force) {
      *error = options.runner + ": runner already carries a script; use --force to replace it";
      return false;
    }
    runner.resize(end);
    if (!IsPeImage(runner)) {
      *error = options.runner + ": runner is not a Windows executable once its script is cut off";
      return false;
    }
  }
  // Cut after the container, so that an entry left pointing past the end of
  // a cut signed program is emptied as well.
  bool unsigned_now = RemoveSignature(&runner);
  if (result) result->signature_removed = unsigned_now;
  return WriteFileAtomically(options.output, BuildContainer(runner, script), true, error);
}

}  // namespace packer
