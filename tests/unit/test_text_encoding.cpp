// Tests of the script's text encoding: the UTF-8 rule, the decoder, the cut
// at a character boundary, and the conversion to and from UTF-16.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "script/text_encoding.h"
#include "script/wide_text.h"

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

std::u16string ToUtf16(const std::string& utf8, size_t capacity = 64) {
  std::vector<char16_t> out(capacity, u'?');
  size_t n = script::Utf8ToUtf16(utf8.data(), utf8.size(), out.data(), capacity);
  EXPECT_EQ(0, out[n]) << utf8;
  return std::u16string(out.data(), n);
}

std::string ToUtf8(const std::u16string& units, size_t size = 64) {
  std::vector<char> out(size, '?');
  size_t n = script::Utf16ToUtf8(units.data(), units.size(), out.data(), size);
  EXPECT_EQ('\0', out[n]);
  return std::string(out.data(), n);
}

// Rows with both directions: the bytes become the units and come back
// unchanged, valid UTF-8 or not. Rows with `back` start from units: lone
// surrogates outside the escape range become U+FFFD.
TEST(TextEncoding, ConvertsBetweenUtf8AndUtf16) {
  struct Case {
    const char* name;
    std::string utf8;
    std::u16string units;
    bool from_units;  // only units -> UTF-8 holds
  };
  const std::string fffd = "\xEF\xBF\xBD";
  const Case cases[] = {
      {"ASCII", "a\tb", u"a\tb", false},
      {"two and three bytes", "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5", u"Gr\u00FC\u00DFe \u65E5",
       false},
      {"pair", "\xF0\x9F\x98\x80!", {0xD83D, 0xDE00, '!'}, false},
      {"highest character", "\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}, false},
      {"length boundaries", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80",
       {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0xD800, 0xDC00}, false},
      {"NUL inside", std::string("a\0b", 3), std::u16string(u"a\0b", 3), false},
      {"ANSI byte escaped", "\xDC" "x", {0xDCDC, 'x'}, false},
      {"truncated sequence", "\xE6\x97", {0xDCE6, 0xDC97}, false},
      {"encoded surrogate", "\xED\xA0\x80", {0xDCED, 0xDCA0, 0xDC80}, false},
      {"overlong", "\xC0\xAF", {0xDCC0, 0xDCAF}, false},
      {"lone high", fffd + "a", {0xD83D, 'a'}, true},
      {"lone low", fffd, {0xDE00}, true},
      {"low then high", fffd + fffd, {0xDE00, 0xD83D}, true},
      {"just below the escapes", fffd, {0xDC7F}, true},
      {"just above the escapes", fffd, {0xDD00}, true},
      {"escapes that spell a character", "\xC3\xA9", {0xDCC3, 0xDCA9}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.utf8, ToUtf8(c.units)) << c.name;
    if (c.from_units) continue;
    EXPECT_EQ(c.units, ToUtf16(c.utf8)) << c.name;
  }
}

// A text that does not fit is cut before the first character that does not
// fit whole with the terminator: never inside a pair or a UTF-8 sequence.
TEST(TextEncoding, ConversionsCutBeforeACharacter) {
  const std::string emoji = "a\xF0\x9F\x98\x80";
  EXPECT_EQ(u"a", ToUtf16(emoji, 3));
  EXPECT_EQ(u"a\xD83D\xDE00", ToUtf16(emoji, 4));
  EXPECT_EQ(u"", ToUtf16("x", 1));
  const std::u16string units = {'a', 0x65E5, 0xD83D, 0xDE00, 0xDCDC};
  const size_t sizes[] = {1, 2, 4, 5, 8, 9, 10};
  const size_t kept[] = {0, 1, 1, 4, 4, 8, 9};
  for (size_t i = 0; i < sizeof(sizes) / sizeof(sizes[0]); ++i) {
    EXPECT_EQ(kept[i], ToUtf8(units, sizes[i]).size()) << "size " << sizes[i];
  }
}

TEST(TextEncoding, OnlyTheNinetyFiveFamilyRefusesUtf8Scripts) {
  const char* refusal = script::ScriptKindRefusal(script::kPlatformWin95Family, true);
  ASSERT_TRUE(refusal != NULL);
  EXPECT_TRUE(strstr(refusal, "saved as UTF-8") && strstr(refusal, "Encoding to ANSI")) << refusal;
  EXPECT_TRUE(script::ScriptKindRefusal(script::kPlatformWin95Family, false) == NULL);
  EXPECT_TRUE(script::ScriptKindRefusal(2, true) == NULL);  // the NT family
  EXPECT_TRUE(script::ScriptKindRefusal(2, false) == NULL);
}

}  // namespace
