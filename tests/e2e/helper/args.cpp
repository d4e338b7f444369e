// Option lookup and the escaped line format that khelper writes for the test driver.
#include "tests/e2e/helper/args.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace khelper {

const char* GetText(const Args& args, const char* name, const char* fallback) {
  for (int i = 0; i + 1 < args.count; ++i) {
    if (args.argv[i][0] == '-' && args.argv[i][1] == '-' && strcmp(args.argv[i] + 2, name) == 0)
      return args.argv[i + 1];
  }
  return fallback;
}

long GetNumber(const Args& args, const char* name, long fallback) {
  const char* text = GetText(args, name, 0);
  if (!text) return fallback;
  // Base 0 reads decimal, 0x hex and a leading minus; unsigned long keeps 0xFFFFFFFF intact.
  if (text[0] == '-') return strtol(text, 0, 0);
  return (long)strtoul(text, 0, 0);
}

void WriteEscaped(void* file, const char* text) {
  FILE* out = (FILE*)file;
  for (const char* p = text; *p; ++p) {
    switch (*p) {
      case '\\': fputs("\\\\", out); break;
      case '\t': fputs("\\t", out); break;
      case '\r': fputs("\\r", out); break;
      case '\n': fputs("\\n", out); break;
      default: fputc(*p, out);
    }
  }
}

}  // namespace khelper
