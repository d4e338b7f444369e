// The loader over bytes: decodes the script container into the main and
// Adlib sections of script lines, and the routines that build and free them.
#include "script/loader.h"

#include <stdlib.h>
#include <string.h>

#include "script/container.h"
#include "script/limits.h"
#include "script/text.h"
#include "script/text_encoding.h"

namespace script {

bool AppendLine(Section* section, int number, const char* text) {
  if (text[0] == '\0' || text[0] == ';') return true;  // blank or comment: nothing stored
  size_t len = strlen(text);
  ScriptLine* line = static_cast<ScriptLine*>(malloc(sizeof(ScriptLine)));
  if (!line) return false;
  line->text = static_cast<char*>(malloc(len + 1));
  if (!line->text) {
    free(line);
    return false;
  }
  memcpy(line->text, text, len + 1);
  line->next = NULL;
  line->number = number;
  if (section->tail) section->tail->next = line;
  else section->head = line;
  section->tail = line;
  return true;
}

void FreeSection(Section* section) {
  ScriptLine* line = section->head;
  while (line) {
    ScriptLine* next = line->next;
    free(line->text);
    free(line);
    line = next;
  }
  section->head = NULL;
  section->tail = NULL;
}

bool IsAdlibMarker(const char* text) {
  char head[8];
  CopyText(head, text, sizeof head);
  return EqualsNoCase(head, "[ADLIB]");
}

// The decoded script is lines ended by single line feeds; the last may end at
// the end of the data. A carriage return is an ordinary character. Each
// physical line, however long, is one line with its own number: its first
// 1023 bytes are kept (a NUL among them ends the text) and the rest is
// dropped, so an overlong line never spills into the next one. In a UTF-8
// script the cut moves back to the start of a character it would split. A
// UTF-8 byte order mark before line 1 is not part of its text. Blank and
// comment lines are not stored but keep their numbers; the first "[ADLIB]"
// line starts the Adlib section and later ones are dropped.
//
// The whole script is decoded first: its kind is decided on all of its bytes
// before any line is stored.
LoadResult LoadScript(const unsigned char* data, size_t size, Sections* out) {
  ContainerInfo info;
  if (!FindContainer(data, size, &info)) return kLoadNoContainer;

  size_t length = size - info.script;
  char* text = static_cast<char*>(malloc(length + 1));
  if (!text) return kLoadOutOfMemory;
  if (length > 0) memcpy(text, data + info.script, length);
  DecodeBytes(reinterpret_cast<unsigned char*>(text), length);

  Sections built;
  memset(&built, 0, sizeof built);
  built.utf8 = IsUtf8Script(text, length);
  bool adlib = false;
  int number = 1;
  size_t pos = StartsWithUtf8Bom(text, length) ? kUtf8BomSize : 0;
  char buf[kMaxStoredLine + 1];

  while (pos < length) {
    size_t end = pos;
    while (end < length && text[end] != '\n') ++end;
    size_t kept = end - pos;
    if (built.utf8) kept = Utf8CutLength(text + pos, kept, kMaxStoredLine);
    else if (kept > static_cast<size_t>(kMaxStoredLine)) kept = kMaxStoredLine;
    memcpy(buf, text + pos, kept);
    buf[kept] = '\0';  // an earlier NUL byte already ends the text
    Trim(buf);
    pos = end + 1;

    if (IsAdlibMarker(buf)) {
      adlib = true;
    } else if (!AppendLine(adlib ? &built.adlib : &built.main, number, buf)) {
      FreeSection(&built.main);
      FreeSection(&built.adlib);
      free(text);
      return kLoadOutOfMemory;
    }
    ++number;
  }
  free(text);
  *out = built;
  return kLoadOk;
}

}  // namespace script
