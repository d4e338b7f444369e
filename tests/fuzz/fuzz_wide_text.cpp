// Fuzz target: the UTF-8 <-> UTF-16 conversion. Any bytes go to UTF-16 and
// back unchanged; the same input read as UTF-16 units comes back from UTF-8
// with only its lone surrogates changed; a cut never splits a character.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "script/text_encoding.h"
#include "script/wide_text.h"

namespace {

std::u16string ToUtf16(const char* text, size_t size, size_t capacity) {
  std::vector<char16_t> out(capacity);
  size_t n = script::Utf8ToUtf16(text, size, out.data(), capacity);
  if (n >= capacity || out[n] != 0) abort();
  return std::u16string(out.data(), n);
}

std::string ToUtf8(const std::u16string& units, size_t size) {
  std::vector<char> out(size);
  size_t n = script::Utf16ToUtf8(units.data(), units.size(), out.data(), size);
  if (n >= size || out[n] != '\0') abort();
  return std::string(out.data(), n);
}

// A shorter buffer keeps a prefix of the whole conversion that ends between
// two characters, and as much of it as fits.
void CheckCut(const std::string& whole, const std::string& cut, size_t size) {
  if (cut.size() >= size || whole.compare(0, cut.size(), cut) != 0) abort();
  if (cut.size() == whole.size()) return;
  // The next character did not fit: its bytes run past the limit.
  std::u16string next = ToUtf16(whole.data() + cut.size(), whole.size() - cut.size(), 3);
  std::string first = ToUtf8(next.substr(0, script::IsHighSurrogate(next[0]) ? 2 : 1), 5);
  if (cut.size() + first.size() < size) abort();
}

void CheckCut(const std::u16string& whole, const std::u16string& cut, size_t capacity) {
  if (cut.size() >= capacity || whole.compare(0, cut.size(), cut) != 0) abort();
  if (cut.size() == whole.size()) return;
  bool pair = script::IsHighSurrogate(whole[cut.size()]);
  if (cut.size() + (pair ? 2 : 1) < capacity) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  size_t limit = size > 0 ? data[0] % 16 + 1 : 1;  // a small buffer for the cuts

  // Bytes -> UTF-16 -> bytes is the identity, valid UTF-8 or not.
  std::u16string units = ToUtf16(bytes, size, size + 1);
  if (units.size() > size) abort();
  std::string back = ToUtf8(units, 3 * units.size() + 1);
  if (back != std::string(bytes, size)) abort();
  CheckCut(units, ToUtf16(bytes, size, limit), limit);
  CheckCut(back, ToUtf8(units, limit), limit);

  // Units -> UTF-8 -> units keeps every character; a lone surrogate becomes
  // U+FFFD, except an escaped byte, which comes back as its byte (and a run of
  // escaped bytes that happens to spell a character comes back as that).
  std::u16string raw(size / 2, u'\0');
  for (size_t i = 0; i < raw.size(); ++i) {
    raw[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  }
  std::string utf8 = ToUtf8(raw, 3 * raw.size() + 1);
  std::u16string expected;
  bool escaped = false;
  for (size_t i = 0; i < raw.size(); ++i) {
    unsigned u = raw[i];
    if (script::IsHighSurrogate(u) && i + 1 < raw.size() && script::IsLowSurrogate(raw[i + 1])) {
      expected += raw[i];
      expected += raw[++i];
    } else if (u - (script::kEscapedByteBase + 0x80) < 0x80) {
      escaped = true;
      expected += raw[i];
    } else {
      expected += script::IsHighSurrogate(u) || script::IsLowSurrogate(u) ? u'\xFFFD' : raw[i];
    }
  }
  if (!escaped && !script::IsValidUtf8(utf8.data(), utf8.size())) abort();
  std::u16string again = ToUtf16(utf8.data(), utf8.size(), utf8.size() + 1);
  if (!escaped && again != expected) abort();
  if (ToUtf8(again, 3 * again.size() + 1) != utf8) abort();  // stable from there on
  CheckCut(utf8, ToUtf8(raw, limit), limit);
  return 0;
}
