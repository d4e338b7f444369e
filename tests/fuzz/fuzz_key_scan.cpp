// Fuzz target: Send texts through the key-language scanner on the fixed US layout of the unit tests.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "script/key_scan.h"
#include "tests/unit/us_layout.h"

namespace {

using test_layout::UsKeyForChar;
using test_layout::UsScanForChar;
using test_layout::UsScanForKey;

// What the events so far have pressed.
struct Recorder {
  int pending_vk;  // a key other than a modifier that is down, or -1
  long events;
};

bool IsModifier(int vk) {
  return vk == script::kVkShift || vk == script::kVkControl || vk == script::kVkAlt;
}

// Every event names a byte-sized key and scan code, carries the extended
// flag exactly for the extended keys, and a key other than a modifier comes
// up right after it went down.
void Check(void* context, int vk, int scan, int flags) {
  Recorder* r = static_cast<Recorder*>(context);
  ++r->events;
  if (vk < 0 || vk > 255 || scan < 0 || scan > 255) abort();
  if ((flags & ~(script::kKeyUp | script::kKeyExtended)) != 0) abort();
  if (((flags & script::kKeyExtended) != 0) != script::IsExtendedKey(vk)) abort();
  if (IsModifier(vk)) {
    if (r->pending_vk >= 0) abort();
    return;
  }
  if (flags & script::kKeyUp) {
    if (r->pending_vk != vk) abort();
    r->pending_vk = -1;
  } else {
    if (r->pending_vk >= 0) abort();
    r->pending_vk = vk;
  }
}

// Counts of four or more digits (backslashes aside, as the splitter drops
// them) would only make the run long: "{TAB 2000000000}" presses Tab that often.
bool HasLongCount(const std::string& text) {
  int run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') continue;
    run = (text[i] >= '0' && text[i] <= '9') ? run + 1 : 0;
    if (run >= 4) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // a Send text ends at its first NUL
  if (HasLongCount(text)) return 0;
  Recorder recorder = {-1, 0};
  script::Keyboard kb = {&recorder, UsKeyForChar, UsScanForKey, UsScanForChar, Check};
  script::SendKeys(kb, text.c_str());
  if (recorder.pending_vk >= 0) abort();  // no key is left down but modifiers
  return 0;
}
