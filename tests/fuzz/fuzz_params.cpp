// Fuzz target: one script line through variable expansion (as in an ANSI and
// in a UTF-8 script) and the parameter splitter.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "script/limits.h"
#include "script/params.h"
#include "script/text_encoding.h"
#include "tests/unit/fake_platform.h"

namespace {

// Variables whose values stress the expansion: commas and backslashes that
// gain an escape each, a value of a full kMaxValue characters, percent signs.
void SetUpVariables(fake::Platform& platform) {
  platform.SetEnv("A", "a,b\\c");
  platform.SetEnv("LONG", std::string(script::kMaxValue, ','));
  platform.SetEnv("X", std::string(script::kMaxValue + 40, 'x'));
  platform.SetEnv("P", "%A%");
  platform.SetClipboard(std::string(300, '\\'));
  std::string wide;
  while (wide.size() < static_cast<size_t>(script::kMaxValue) + 8) wide += "\xE6\x97\xA5\xF0\x9F\x98\x80\xC3\xBC,";
  platform.SetEnv("J", wide);
}

// In a UTF-8 script the limits never split a character: a line of valid
// UTF-8 with values of valid UTF-8 expands to valid UTF-8, within bounds.
void ExpandAsUtf8(fake::Platform& platform, const char* text) {
  char* line = static_cast<char*>(malloc(script::kBufSize));
  memcpy(line, text, strlen(text) + 1);
  bool valid = script::IsValidUtf8(line, strlen(line));
  if (script::ExpandVariables(platform.services(), line, true)) {
    if (strlen(line) > (size_t)script::kMaxExpandedLine + 1) abort();
    if (valid && !script::IsValidUtf8(line, strlen(line))) abort();
  } else if (strcmp(line, text) != 0) {
    abort();
  }
  free(line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fake::Platform platform;
  SetUpVariables(platform);

  // A line as the engine holds it: at most kBufSize - 1 characters, ending at
  // the first NUL. The buffer is allocated at its exact size so that ASan sees
  // any write past it.
  char* line = static_cast<char*>(malloc(script::kBufSize));
  size_t n = size < (size_t)script::kBufSize - 1 ? size : (size_t)script::kBufSize - 1;
  memcpy(line, data, n);
  line[n] = '\0';

  std::string original(line);
  ExpandAsUtf8(platform, line);
  if (script::ExpandVariables(platform.services(), line)) {
    if (strlen(line) > (size_t)script::kMaxExpandedLine + 1) abort();
    char* field = static_cast<char*>(malloc(script::kBufSize));
    int len = static_cast<int>(strlen(line));
    int cursor = 0;
    // Fields up to the end, then once more with no delimiter, as a handler
    // reading its last parameter does.
    while (cursor < len) {
      int before = cursor;
      script::SplitField(',', line, &cursor, field);
      if (cursor <= before || cursor > len) abort();  // always moves, never past the end
      // A small output cuts the field but moves the cursor just as far.
      int small_cursor = before;
      char small[4];
      script::SplitFieldInto(',', line, &small_cursor, small, static_cast<int>(sizeof small));
      if (small_cursor != cursor || strlen(small) >= sizeof small) abort();
    }
    script::SplitField('\0', line, &cursor, field);
    if (cursor != len) abort();
    script::IntegerValue(field);
    free(field);
  } else if (original != line) {
    abort();  // a failed expansion leaves the line as it was
  } else if (platform.ErrorBoxes().size() != 0) {
    abort();  // and reports nothing itself: its caller does
  }
  free(line);
  return 0;
}
