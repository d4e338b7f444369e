// Prints the checker's findings for people (compiler-style lines) and for
// editors and CI (JSON).
#include "checker/report.h"

#include <stdio.h>

#include "script/json_string.h"

namespace checker {

namespace {

using script::JsonString;

std::string Number(int n) {
  char buf[16];
  snprintf(buf, sizeof buf, "%d", n);
  return buf;
}

std::string Counted(int n, const char* word) {
  return Number(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

std::string FormatText(const std::string& file, const std::vector<Diagnostic>& diagnostics) {
  std::string out;
  for (size_t i = 0; i < diagnostics.size(); ++i) {
    const Diagnostic& d = diagnostics[i];
    out += file + ":" + Number(d.line) + ":" + Number(d.column) + ": " +
           (d.severity == kError ? "error: " : "warning: ") + d.message + "\n";
  }
  return out;
}

std::string FormatJsonItem(const std::string& file, const Diagnostic& d, const char* encoding) {
  std::string item = "{\"file\": " + JsonString(file) + ", \"line\": " + Number(d.line) +
                     ", \"column\": " + Number(d.column) +
                     ", \"endColumn\": " + Number(d.end_column) +
                     ", \"severity\": " + JsonString(d.severity == kError ? "error" : "warning") +
                     ", \"code\": " + JsonString(d.code) +
                     ", \"message\": " + JsonString(d.message);
  if (encoding) item += ", \"encoding\": " + JsonString(encoding);
  return item + "}";
}

std::string Summary(int errors, int warnings, int files) {
  return Counted(errors, "error") + ", " + Counted(warnings, "warning") + " in " +
         Counted(files, "file");
}

}  // namespace checker
