// Tests of the script's text encoding: the UTF-8 rule, the decoder and the cut
// at a character boundary.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "script/text_encoding.h"

namespace {

bool IsUtf8(const std::string& text) { return script::IsUtf8Script(text.data(), text.size()); }

TEST(TextEncoding, DecidesTheScriptKindFromItsBytes) {
  struct Case {
    const char* name;
    std::string bytes;
    bool utf8;
  };
  const Case cases[] = {
      {"plain ASCII", "Send, abc\n", false},
      {"empty", "", false},
      {"BOM with ASCII", "\xEF\xBB\xBFSend, abc\n", true},
      {"BOM alone", "\xEF\xBB\xBF", true},
      {"BOM then invalid bytes", "\xEF\xBB\xBF\xDC", true},
      {"two-byte", "WinWait, \xC3\x9C" "bersicht", true},
      {"three-byte", "\xE6\x97\xA5\xE6\x9C\xAC", true},
      {"four-byte emoji", "\xF0\x9F\x98\x80", true},
      {"highest code point", "\xF4\x8F\xBF\xBF", true},
      {"Latin-1 U-umlaut", "WinWait, \xDC" "bersicht", false},
      {"Latin-1 word", "\xDC\xFC\xDF", false},
      {"Latin-1 with one valid pair", "\xC3\xA9t\xE9", false},
      {"Latin-1 that is valid UTF-8 by chance", "\xC3\xA9", true},  // the rule cannot tell
      {"overlong slash", "\xC0\xAF", false},
      {"overlong three-byte", "\xE0\x80\xAF", false},
      {"overlong four-byte", "\xF0\x80\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"F5 lead byte", "\xF5\x80\x80\x80", false},
      {"truncated at the end", "ok \xE6\x97", false},
      {"truncated before ASCII", "\xE6\x97" "a", false},
      {"stray continuation byte", "a\x80", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.utf8, IsUtf8(c.bytes)) << c.name;
}

TEST(TextEncoding, NextCodePointDecodesAndReplacesInvalidBytes) {
  struct Case {
    const char* text;
    std::vector<unsigned> cps;
  };
  const Case cases[] = {
      {"", {}},
      {"a\t", {'a', '\t'}},
      {"Gr\xC3\xBC\xC3\x9F" "e", {'G', 'r', 0xFC, 0xDF, 'e'}},
      {"\xE6\x97\xA5\xE2\x82\xAC", {0x65E5, 0x20AC}},
      {"\xF0\x9F\x98\x80!", {0x1F600, '!'}},
      {"\xDC" "x", {0xFFFD, 'x'}},              // an ANSI byte
      {"\xE6\x97", {0xFFFD, 0xFFFD}},           // cut short by the NUL
      {"\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},  // a surrogate, byte by byte
      {"\xC0\xAF", {0xFFFD, 0xFFFD}},
  };
  for (const Case& c : cases) {
    std::vector<unsigned> got;
    size_t pos = 0;
    unsigned cp = 0;
    while (script::NextCodePoint(c.text, &pos, &cp)) got.push_back(cp);
    EXPECT_EQ(c.cps, got) << c.text;
    EXPECT_EQ(std::string(c.text).size(), pos) << c.text;
  }
}

TEST(TextEncoding, CutsUtf8TextAtACharacterBoundary) {
  struct Case {
    std::string text;
    size_t max;
    size_t utf8_cut;
  };
  const std::string jp = "\xE6\x97\xA5\xE6\x9C\xAC";  // two characters of three bytes
  const Case cases[] = {
      {"abcdef", 4, 4},
      {"abc", 10, 3},
      {jp, 6, 6},
      {jp, 5, 3},
      {jp, 4, 3},
      {jp, 3, 3},
      {jp, 2, 0},
      {"a\xF0\x9F\x98\x80", 4, 1},
      {"a\xF0\x9F\x98\x80", 5, 5},
      {"\xDC\xFC\xDF", 2, 2},            // invalid bytes are characters of their own
      {"\x80\x80\x80\x80\x80", 3, 3},    // stray continuation bytes
      {"\xE6\x97" "abc", 1, 1},          // a truncated sequence is not a character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.utf8_cut, script::Utf8CutLength(c.text.data(), c.text.size(), c.max))
        << c.text << " at " << c.max;
    std::string buf = c.text;
    script::CutText(&buf[0], c.max, true);
    EXPECT_EQ(c.utf8_cut, strlen(buf.c_str()));
    buf = c.text;
    script::CutText(&buf[0], c.max, false);  // ANSI: byte for byte
    EXPECT_EQ(std::min(c.max, c.text.size()), strlen(buf.c_str()));
  }
  EXPECT_EQ(4u, script::CountCodePoints("\xE6\x97\xA5" "a\xF0\x9F\x98\x80\xDC", 9));
}

}  // namespace
