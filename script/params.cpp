// The parameter splitter, variable expansion, the integer value and the
// bounded append: the text layer every command reads its parameters through.
#include "script/params.h"

#include <string.h>

#include "script/limits.h"
#include "script/text.h"
#include "script/text_encoding.h"
#include "script/variables.h"

namespace script {

// SplitField reads one field of a script line. A field runs from the cursor to
// the next unescaped delimiter (',' or none) or the end of the line. A
// backslash escapes the next character: "\\" gives one backslash, "\," keeps
// the comma in the field, "\n", "\r" and "\t" give line feed, carriage return
// and tab, and before any other character the backslash is simply dropped (a
// backslash ending the line disappears too). The field is then trimmed of
// spaces and tabs. Nothing is rejected; a field longer than the output buffer
// is cut at kBufSize - 1 characters, but the cursor still moves past all of it.
bool SplitField(char delim, const char* line, int* cursor, char* out) {
  return SplitFieldInto(delim, line, cursor, out, kBufSize);
}

bool SplitFieldInto(char delim, const char* line, int* cursor, char* out, int size) {
  if (size <= 0) return delim == ',' && line[*cursor] == '\0';  // nowhere to write
  int len = 0;
  bool escaped = false;
  bool closed = false;
  int pos = *cursor;
  while (!closed && line[pos] != '\0') {
    char c = line[pos];
    char add = 0;
    bool has_add = false;
    if (c == '\\') {
      if (escaped) {
        escaped = false;
        add = '\\';
        has_add = true;
      } else {
        escaped = true;
      }
    } else if (delim != '\0' && c == delim) {
      if (escaped) {
        escaped = false;
        add = c;
        has_add = true;
      } else {
        closed = true;  // the delimiter is consumed, not kept
      }
    } else {
      add = c;
      if (escaped) {
        if (c == 'n') add = '\n';
        else if (c == 'r') add = '\r';
        else if (c == 't') add = '\t';
      }
      escaped = false;
      has_add = true;
    }
    if (has_add && len < size - 1) out[len++] = add;
    ++pos;
  }
  *cursor = pos;
  out[len] = '\0';
  Trim(out);
  return delim == ',' && !closed;
}

// The expansion's output. It stops taking input at kMaxExpandedLine bytes
// (one more when an escape pair straddles the limit). In a UTF-8 script it
// then still takes the continuation bytes of a character split there, up to
// three, so that Finish sees where that character ends and leaves it out.
namespace {

struct Expansion {
  char text[kBufSize + 4];
  int len;
  int limit;  // the length when the limit was reached; -1 before
  bool utf8;

  void Put(char c) { text[len++] = c; }

  // True while the next input byte is to be taken.
  bool Takes(char next) {
    if (len < kMaxExpandedLine) return true;
    if (limit < 0) limit = len;
    return utf8 && (next & 0xC0) == 0x80 && len < limit + 3;
  }

  void Finish() {
    if (limit >= 0 && len > limit) {
      size_t cut = Utf8CutLength(text, static_cast<size_t>(len), static_cast<size_t>(limit));
      len = static_cast<int>(cut);
    }
    text[len] = '\0';
  }
};

}  // namespace

// ExpandVariables reads a whole line and replaces each %NAME% by the value of
// NAME. A backslash toggles the escape state and is kept; an escaped percent
// sign is kept as text (the splitter later drops its backslash). Commas and
// backslashes of inserted values get a backslash so that the splitter gives
// them back unchanged. Output stops taking input at kMaxExpandedLine
// characters (one more when the last value character needed its backslash),
// and in a UTF-8 script before a character that would not fit whole.
// A reference without its closing percent sign is an error; the line is
// then left untouched.
const char kBadReference[] = "Incorrectly formatted ENV string!";

bool ExpandVariables(const Services& sys, char* line, bool utf8) {
  Expansion out;
  out.len = 0;
  out.limit = -1;
  out.utf8 = utf8;
  char name[kBufSize];
  char value[kMaxValue + 1];
  bool escaped = false;
  int pos = 0;
  while (line[pos] != '\0' && out.Takes(line[pos])) {
    char c = line[pos];
    if (c == '%' && escaped) {
      escaped = false;
      out.Put(c);
      ++pos;
      continue;
    }
    if (c == '%') {
      int end = pos + 1;
      while (line[end] != '\0' && line[end] != '%') ++end;
      if (line[end] == '\0') return false;
      int name_len = end - pos - 1;  // the line fits kBufSize, so the name does too
      memcpy(name, line + pos + 1, name_len);
      name[name_len] = '\0';
      ReadVariable(sys, name, value, kMaxValue, utf8);
      for (int i = 0; value[i] != '\0' && out.Takes(value[i]); ++i) {
        if (value[i] == ',' || value[i] == '\\') out.Put('\\');
        out.Put(value[i]);
      }
      pos = end + 1;
      continue;
    }
    escaped = (c == '\\') ? !escaped : false;
    out.Put(c);
    ++pos;
  }
  out.Finish();
  memcpy(line, out.text, static_cast<size_t>(out.len) + 1);
  return true;
}

// Digits accumulate in unsigned arithmetic so that overflow wraps around
// instead of being undefined.
int IntegerValue(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    ++p;
  }
  unsigned int value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10u + (unsigned int)(*p - '0');
    ++p;
  }
  if (negative) value = 0u - value;
  return (int)value;
}

void BoundedAppend(const char* src, char* dest) {
  size_t len = strlen(dest);
  while (*src != '\0' && len < (size_t)kStatusMax) dest[len++] = *src++;
  if (len > (size_t)kStatusMax) len = kStatusMax;
  dest[len] = '\0';
}

}  // namespace script
