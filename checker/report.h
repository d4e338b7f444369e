// How the checker's findings are printed: compiler-style lines or JSON.
#ifndef KESTRO_CHECKER_REPORT_H
#define KESTRO_CHECKER_REPORT_H

#include <string>
#include <vector>

#include "checker/check.h"

namespace checker {

// "FILE:LINE:COL: error: MESSAGE", one line each.
std::string FormatText(const std::string& file, const std::vector<Diagnostic>& diagnostics);

// One JSON object per finding: file, line, column, endColumn, severity, code,
// message, and, when given, the script's encoding ("UTF-8" or "ANSI": what the
// columns count, characters or bytes).
std::string FormatJsonItem(const std::string& file, const Diagnostic& d,
                           const char* encoding = NULL);

// "N errors, M warnings in K files" (singulars where they belong).
std::string Summary(int errors, int warnings, int files);

}  // namespace checker

#endif
