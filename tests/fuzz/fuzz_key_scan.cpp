// Fuzz target: Send texts through the key-language scanner on the fixed US layout of the unit
// tests, read both as an ANSI script's text and as a UTF-8 script's.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "script/key_scan.h"
#include "tests/unit/us_layout.h"

namespace {

using test_layout::UsKeyForChar;
using test_layout::UsKeyForCodePoint;
using test_layout::UsScanForChar;
using test_layout::UsScanForCodePoint;
using test_layout::UsScanForKey;

// What the events so far have pressed.
struct Recorder {
  int pending_vk;     // a key other than a modifier that is down, or -1
  long pending_unit;  // a UTF-16 unit whose Unicode event is down, or -1
  long high;          // a high surrogate sent whose low one must come next, or -1
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
  if (r->pending_unit >= 0 || r->high >= 0) abort();
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

// A Unicode event comes down and up before anything else, only when no key is
// down but modifiers, and a high surrogate is followed by a low one.
void CheckUnit(void* context, unsigned unit, int flags) {
  Recorder* r = static_cast<Recorder*>(context);
  ++r->events;
  if (unit > 0xFFFF || r->pending_vk >= 0 || (flags & ~script::kKeyUp) != 0) abort();
  if (flags & script::kKeyUp) {
    if (r->pending_unit != static_cast<long>(unit)) abort();
    r->pending_unit = -1;
    if (unit >= 0xD800 && unit <= 0xDBFF) r->high = unit;
    return;
  }
  if (r->pending_unit >= 0) abort();
  bool low = unit >= 0xDC00 && unit <= 0xDFFF;
  if (low != (r->high >= 0)) abort();
  r->high = -1;
  r->pending_unit = unit;
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
  for (int utf8 = 0; utf8 < 2; ++utf8) {
    Recorder recorder = {-1, -1, -1, 0};
    script::Keyboard kb = {&recorder, UsKeyForChar,      UsScanForKey,       UsScanForChar,
                           Check,     UsKeyForCodePoint, UsScanForCodePoint, CheckUnit};
    if (utf8) {
      script::SendUtf8Keys(kb, text.c_str());
    } else {
      script::SendKeys(kb, text.c_str());
    }
    // No key is left down but modifiers, and no surrogate stands alone.
    if (recorder.pending_vk >= 0 || recorder.pending_unit >= 0 || recorder.high >= 0) abort();
  }
  return 0;
}
