// Fuzz target: script bytes through the container search, decoder and loader, checking the stored lines.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "script/container.h"
#include "script/limits.h"
#include "script/loader.h"
#include "script/pe_file.h"

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

// Loads the bytes, checks both sections (Adlib lines come after every main
// line) and frees them again.
void LoadAndCheck(const unsigned char* data, size_t size) {
  script::Sections sections;
  memset(&sections, 0, sizeof sections);
  if (script::LoadScript(data, size, &sections) != script::kLoadOk) {
    if (sections.main.head != 0 || sections.adlib.head != 0) abort();  // nothing left behind
    return;
  }
  int last = 0;
  CheckSection(sections.main, &last);
  CheckSection(sections.adlib, &last);
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
  LoadAndCheck(file.data(), file.size());
  return 0;
}
