// Fuzz target: script bytes through the container search, decoder and loader,
// checking the stored lines and the script's encoding.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "script/container.h"
#include "script/limits.h"
#include "script/loader.h"
#include "script/pe_file.h"
#include "script/text_encoding.h"

namespace {

// Every stored line is 1..1023 characters without a line feed, is trimmed,
// is not a comment, and numbers rise strictly along the section.
void CheckSection(const script::Section& section, int* last_number) {
  const script::ScriptLine* prev = 0;
  for (const script::ScriptLine* l = section.head; l != 0; l = l->next) {
    size_t len = strlen(l->text);
    if (len < 1 || len > (size_t)script::kMaxStoredLine) abort();
    if (l->text[0] == ';') abort();
    if (strchr(l->text, '\n') != 0) abort();
    if (l->text[0] == ' ' || l->text[0] == '\t') abort();
    if (l->text[len - 1] == ' ' || l->text[len - 1] == '\t') abort();
    if (l->number <= *last_number) abort();
    *last_number = l->number;
    prev = l;
  }
  if (section.tail != prev) abort();  // the tail is the last line of the list
}

bool StartsWithBom(const char* text) { return script::StartsWithUtf8Bom(text, strlen(text)); }

// In a script of valid UTF-8 every stored line is valid UTF-8 too: no cut, at
// 1023 bytes or anywhere else, ends a line inside a character.
void CheckWholeCharacters(const script::Section& section) {
  for (const script::ScriptLine* l = section.head; l != 0; l = l->next) {
    if (!script::IsValidUtf8(l->text, strlen(l->text))) abort();
  }
}

// Loads the bytes, checks both sections (Adlib lines come after every main
// line) and frees them again. `plain` is the script text when the caller
// encoded it itself, so the kind the loader decides can be checked against it.
void LoadAndCheck(const unsigned char* data, size_t size, const unsigned char* plain = 0,
                  size_t plain_size = 0) {
  script::Sections sections;
  memset(&sections, 0, sizeof sections);
  if (script::LoadScript(data, size, &sections) != script::kLoadOk) {
    if (sections.main.head != 0 || sections.adlib.head != 0) abort();  // nothing left behind
    return;
  }
  int last = 0;
  CheckSection(sections.main, &last);
  CheckSection(sections.adlib, &last);
  if (plain) {
    const char* text = reinterpret_cast<const char*>(plain);
    if (sections.utf8 != script::IsUtf8Script(text, plain_size)) abort();
    size_t bom = script::StartsWithUtf8Bom(text, plain_size) ? script::kUtf8BomSize : 0;
    if (script::IsValidUtf8(text + bom, plain_size - bom)) {
      CheckWholeCharacters(sections.main);
      CheckWholeCharacters(sections.adlib);
    }
    // The byte order mark is not part of line 1: its text starts with one
    // only when a second one follows the first (after blanks the trim drops).
    const script::ScriptLine* first = sections.main.head ? sections.main.head : sections.adlib.head;
    size_t after = bom;
    while (after < plain_size && (text[after] == ' ' || text[after] == '\t')) ++after;
    if (bom && first && first->number == 1 && StartsWithBom(first->text) &&
        !script::StartsWithUtf8Bom(text + after, plain_size - after))
      abort();
  }
  script::FreeSection(&sections.main);
  script::FreeSection(&sections.adlib);
}

}  // namespace

// The input is read as a whole file (the container search over raw bytes,
// and the same cut before a certificate table), and as a plain script that is encoded behind a marker line, so that
// seeds stay readable and mutations reach the line splitting directly.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadAndCheck(data, size);
  // As the runner reads its own file: up to a certificate table that ends it.
  size_t end = script::ScriptDataEnd(data, size);
  if (end > size) abort();
  if (end < size) LoadAndCheck(data, end);

  static const char kHead[] = "MZ\n";
  std::vector<unsigned char> file(kHead, kHead + sizeof kHead - 1);
  file.insert(file.end(), script::kContainerMarker,
              script::kContainerMarker + script::kContainerMarkerLen);
  static const char kIgnored[] = "\nkestro-script 1\n";
  file.insert(file.end(), kIgnored, kIgnored + sizeof kIgnored - 1);
  size_t start = file.size();
  file.insert(file.end(), data, data + size);
  script::EncodeBytes(file.data() + start, size);
  LoadAndCheck(file.data(), file.size(), data, size);
  return 0;
}
