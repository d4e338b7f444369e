// Small text routines shared by the loader, the parameter splitter and the
// script arguments: trimming, cutting at a line feed, comparing and copying.
#include "script/text.h"

#include <string.h>

namespace script {

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void Trim(char* text) {
  if (!text) return;
  size_t start = 0;
  while (IsBlank(text[start])) ++start;
  size_t len = strlen(text + start);
  if (start > 0) memmove(text, text + start, len + 1);
  // Only spaces and tabs go; a carriage return at the end stays in the text.
  while (len > 0 && IsBlank(text[len - 1])) --len;
  text[len] = '\0';
}

void CutAtLineFeed(char* text) {
  if (!text) return;
  char* lf = strchr(text, '\n');
  if (lf) *lf = '\0';
}

bool EqualsNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
    if (*a == '\0') return true;
  }
}

void CopyText(char* dest, const char* src, int size) {
  if (size <= 0) return;
  int i = 0;
  for (; i < size - 1 && src[i] != '\0'; ++i) dest[i] = src[i];
  dest[i] = '\0';
}

}  // namespace script
