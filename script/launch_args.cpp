// Reads the runner's command line: launch options before "/p" and the script
// arguments after it.
#include "script/launch_args.h"

#include <stdio.h>
#include <string.h>

#include "script/services.h"
#include "script/text.h"
#include "script/text_encoding.h"

namespace script {

namespace {

// The first "/p", or the first "/P" when there is no "/p"; null for neither.
const char* FindArgsMark(const char* command_line) {
  const char* mark = strstr(command_line, "/p");
  if (mark == 0) mark = strstr(command_line, "/P");
  return mark;
}

// Copies at most kArgBufSize - 1 bytes of text into out (kArgBufSize bytes),
// cut as the script's text is cut: UTF-8 before a character that would be
// split, ANSI byte for byte.
void CopyCut(char* out, const char* text, bool utf8) {
  size_t length = strlen(text);
  size_t max = kArgBufSize - 1;
  size_t kept = utf8 ? Utf8CutLength(text, length, max) : (length < max ? length : max);
  memcpy(out, text, kept);
  out[kept] = '\0';
}

// Holds one script argument of at most kArgBufSize - 1 characters.
struct Argument {
  char text[kArgBufSize];
  int len;
};

void AppendChar(Argument* arg, char c) {
  if (arg->len < kArgBufSize - 1) arg->text[arg->len++] = c;
  arg->text[arg->len] = '\0';
}

// Publishes the argument as the variable named by its number, then empties it.
void Store(const Services& sys, Argument* arg, int* number) {
  char name[16];
  sprintf(name, "%d", *number);
  arg->text[arg->len] = '\0';
  sys.set_env(sys.context, name, arg->text);
  ++*number;
  arg->len = 0;
  arg->text[0] = '\0';
}

const char kUnattended[] = "/unattended";

// Longest option word kept: "/unattended:" followed by a full log path and
// the rest of a character that would be split by the path's cut, so the cut
// can see the whole character and fall before it.
const int kWordSize = (int)sizeof(kUnattended) + kArgBufSize + 3;

// True when word starts with prefix, compared without regard to ASCII case.
bool StartsWithNoCase(const char* word, const char* prefix) {
  for (; *prefix != '\0'; ++word, ++prefix) {
    char a = *word, b = *prefix;
    if (a >= 'A' && a <= 'Z') a = (char)(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = (char)(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// Applies one option word; words that are not options are ignored.
void ApplyOption(const char* word, LaunchOptions* out, bool utf8) {
  if (EqualsNoCase(word, kUnattended)) {
    out->unattended = true;
    out->log_path[0] = '\0';
    return;
  }
  size_t n = sizeof(kUnattended) - 1;
  if (StartsWithNoCase(word, kUnattended) && word[n] == ':') {
    out->unattended = true;
    CopyCut(out->log_path, word + n + 1, utf8);
  }
}

}  // namespace

// The text after "/p" (cut to kArgBufSize - 1 characters) is trimmed and split
// at spaces outside double quotes. Inside quotes a space is ordinary; a quote
// right after a quote gives one literal quote; an unclosed quote runs to the
// end. A space always ends an argument, so two spaces give an empty one; the
// last argument is published only when it is not empty.
void PublishScriptArgs(const Services& sys, const char* command_line, bool utf8) {
  const char* mark = FindArgsMark(command_line);
  if (mark == 0) return;
  char text[kArgBufSize];
  CopyCut(text, mark + 2, utf8);
  Trim(text);
  if (text[0] == '\0') return;

  Argument arg;
  arg.len = 0;
  arg.text[0] = '\0';
  int number = 1;
  bool in_quotes = false;
  bool prev_quote = false;
  for (const char* p = text; *p != '\0'; ++p) {
    char c = *p;
    if (c == ' ' && !in_quotes) {
      Store(sys, &arg, &number);
      prev_quote = false;
    } else if (c == '"') {
      in_quotes = !in_quotes;
      if (prev_quote) {
        AppendChar(&arg, '"');
        prev_quote = false;
      } else {
        prev_quote = true;
      }
    } else {
      AppendChar(&arg, c);
      prev_quote = false;
    }
  }
  if (arg.len > 0) Store(sys, &arg, &number);
}

// The options are words separated by spaces or tabs; double quotes group a
// word and are removed. Unknown words are ignored and an over-long word is
// cut, so no text can upset the parser. A later option overrides an earlier one.
void ParseLaunchOptions(const char* command_line, LaunchOptions* out, bool utf8) {
  out->unattended = false;
  out->log_path[0] = '\0';
  const char* mark = FindArgsMark(command_line);
  const char* end = mark != 0 ? mark : command_line + strlen(command_line);

  char word[kWordSize];
  int len = 0;
  bool in_quotes = false;
  bool in_word = false;
  for (const char* p = command_line; p <= end; ++p) {
    bool at_end = (p == end);
    char c = at_end ? '\0' : *p;
    if (at_end || ((c == ' ' || c == '\t') && !in_quotes)) {
      if (in_word) {
        word[len] = '\0';
        ApplyOption(word, out, utf8);
      }
      len = 0;
      in_word = false;
      if (at_end) break;
      continue;
    }
    in_word = true;
    if (c == '"') {
      in_quotes = !in_quotes;
      continue;
    }
    if (len < kWordSize - 1) word[len++] = c;
  }
}

}  // namespace script
