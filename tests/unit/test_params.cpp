// Tests of the parameter splitter, variable expansion, the integer value and
// the bounded append.
#include <gtest/gtest.h>

#include <string.h>
#include <string>

#include "script/limits.h"
#include "script/params.h"
#include "script/text_encoding.h"
#include "tests/unit/fake_platform.h"

namespace {

using script::kBufSize;

// Reads every field of a line in turn, the last one without delimiter.
struct Splitter {
  char line[kBufSize];
  int cursor;
  explicit Splitter(const char* text) : cursor(0) {
    memset(line, 0, sizeof(line));
    strncpy(line, text, kBufSize - 1);
  }
  std::string Next(char delim, bool* eol = 0) {
    char out[kBufSize];
    bool end = script::SplitField(delim, line, &cursor, out);
    if (eol) *eol = end;
    return out;
  }
};

class ParamsTest : public ::testing::Test {
 protected:
  // Expands text as the statement step would; returns the new line buffer.
  std::string Expand(const std::string& text, bool* ok = 0, bool utf8 = false) {
    memset(line_, 0, sizeof(line_));
    strncpy(line_, text.c_str(), kBufSize - 1);
    bool result = script::ExpandVariables(platform.services(), line_, utf8);
    if (ok) *ok = result;
    return line_;
  }
  fake::Platform platform;
  char line_[kBufSize];
};

TEST_F(ParamsTest, EscapesInsideFields) {
  Splitter s("Send, a\\,b, c\\\\d, x\\ny\\rz\\tw, \\q, C:\\dir, C:\\\\dir");
  bool eol = true;
  EXPECT_EQ("Send", s.Next(',', &eol));
  EXPECT_FALSE(eol);
  EXPECT_EQ("a,b", s.Next(','));
  EXPECT_EQ("c\\d", s.Next(','));
  EXPECT_EQ("x\ny\rz\tw", s.Next(','));
  EXPECT_EQ("q", s.Next(','));
  EXPECT_EQ("C:dir", s.Next(','));
  EXPECT_EQ("C:\\dir", s.Next(0));
}

TEST_F(ParamsTest, TrimsAfterTranslatingSoEscapedBlanksAtTheEdgesGo) {
  EXPECT_EQ("x", Splitter(" \t x \t ").Next(0));
  EXPECT_EQ("x", Splitter("\\tx\\t").Next(','));
  EXPECT_EQ("a\tb", Splitter("\\ a\\tb\\ ").Next(','));
}

TEST_F(ParamsTest, TrailingSingleBackslashIsDropped) {
  EXPECT_EQ("abc", Splitter("abc\\").Next(0));
  EXPECT_EQ("abc", Splitter("abc\\").Next(','));
}

TEST_F(ParamsTest, ReadsAfterTheEndGiveEmptyFields) {
  Splitter s("Sleep, 100");
  bool eol = false;
  s.Next(',');
  EXPECT_EQ("100", s.Next(',', &eol));
  EXPECT_TRUE(eol);
  EXPECT_EQ("", s.Next(',', &eol));
  EXPECT_TRUE(eol);
  EXPECT_EQ("", s.Next(0, &eol));
  EXPECT_FALSE(eol);
}

TEST_F(ParamsTest, WithoutDelimiterCommasAreOrdinary) {
  Splitter s("Send, a, b\\, c");
  s.Next(',');
  bool eol = true;
  EXPECT_EQ("a, b, c", s.Next(0, &eol));
  EXPECT_FALSE(eol);
}

TEST_F(ParamsTest, EmptyFieldBetweenCommasIsNotEndOfLine) {
  Splitter s("a,,b");
  bool eol = true;
  s.Next(',');
  EXPECT_EQ("", s.Next(',', &eol));
  EXPECT_FALSE(eol);
  EXPECT_EQ("b", s.Next(',', &eol));
  EXPECT_TRUE(eol);
}

TEST_F(ParamsTest, FieldLongerThanTheBufferIsCutButFullyConsumed) {
  std::string text(3000, 'x');
  text += ",tail";
  std::string line = text;
  int cursor = 0;
  std::string guard(kBufSize + 64, '\0');
  char* out = &guard[0];
  memset(out + kBufSize, 0x5A, 64);
  bool eol = script::SplitField(',', line.c_str(), &cursor, out);
  EXPECT_FALSE(eol);
  EXPECT_EQ((size_t)kBufSize - 1, strlen(out));
  for (int i = 0; i < 64; ++i) ASSERT_EQ(0x5A, (unsigned char)out[kBufSize + i]);
  EXPECT_EQ(3001, cursor);
  script::SplitField(',', line.c_str(), &cursor, out);
  EXPECT_STREQ("tail", out);
}

TEST_F(ParamsTest, SplitIntoASmallBufferCutsTheFieldButConsumesIt) {
  const char line[] = "  abcdef\\\\, ghi";
  char out[8];
  memset(out, 'Z', sizeof out);
  int cursor = 0;
  EXPECT_FALSE(script::SplitFieldInto(',', line, &cursor, out, 4));
  // Three characters fit; the cut comes before the trim, so "  a" becomes "a".
  EXPECT_STREQ("a", out);
  EXPECT_EQ('Z', out[4]);
  EXPECT_EQ(11, cursor);  // past the comma, not past the escaped backslash
  EXPECT_TRUE(script::SplitFieldInto(',', line, &cursor, out, 1));
  EXPECT_STREQ("", out);
  EXPECT_EQ(15, cursor);
}

TEST_F(ParamsTest, ExpansionReplacesReferencesAnywhere) {
  platform.SetEnv("cmd", "Sleep");
  platform.SetEnv("n", "250");
  EXPECT_EQ("Sleep, 250 ms", Expand("%cmd%, %N% ms"));
  EXPECT_EQ("a  b", Expand("a %undefined% b"));
  EXPECT_EQ("ab", Expand("a%%b"));  // two percent signs: the empty name
}

TEST_F(ParamsTest, ValuesKeepCommasAndBackslashesThroughTheSplitter) {
  platform.SetEnv("v", "a,b");
  platform.SetEnv("p", "C:\\dir\\sub");
  std::string line = Expand("Send, %v%, %p%\\\\file.txt");
  EXPECT_EQ("Send, a\\,b, C:\\\\dir\\\\sub\\\\file.txt", line);
  Splitter s(line.c_str());
  s.Next(',');
  EXPECT_EQ("a,b", s.Next(','));
  EXPECT_EQ("C:\\dir\\sub\\file.txt", s.Next(0));
}

TEST_F(ParamsTest, ExpansionIsASinglePass) {
  platform.SetEnv("a", "%b%");
  platform.SetEnv("b", "no");
  EXPECT_EQ("%b%", Expand("%a%"));
}

TEST_F(ParamsTest, EscapedPercentSignsAreLiteral) {
  std::string line = Expand("Send, 50\\% off");
  EXPECT_EQ("Send, 50\\% off", line);
  Splitter s(line.c_str());
  s.Next(',');
  EXPECT_EQ("50% off", s.Next(0));

  platform.SetEnv("name", "value");
  line = Expand("x \\%name\\% y");
  Splitter t(line.c_str());
  EXPECT_EQ("x %name% y", t.Next(0));
  // A doubled backslash does not escape the percent sign after it.
  EXPECT_EQ("\\\\value", Expand("\\\\%name%"));
}

TEST_F(ParamsTest, UnterminatedReferenceFailsAndLeavesTheLine) {
  platform.SetEnv("ok", "fine");
  bool ok = true;
  EXPECT_EQ("Send, %ok% %oops", Expand("Send, %ok% %oops", &ok));
  EXPECT_FALSE(ok);
  // The caller reports it: expansion itself shows nothing.
  EXPECT_TRUE(platform.ErrorBoxes().empty());
}

TEST_F(ParamsTest, EscapingOnlyTheOpeningPercentSignLeavesTheClosingOneUnclosed) {
  platform.SetEnv("name", "value");
  bool ok = true;
  EXPECT_EQ("\\%name% x", Expand("\\%name% x", &ok));
  EXPECT_FALSE(ok);
}

TEST_F(ParamsTest, LongExpansionIsCutAt1024Or1025) {
  platform.SetEnv("big", std::string(1000, 'v').c_str());
  std::string line = Expand("%big%%big%");
  EXPECT_EQ(1024u, line.size());

  // When the 1024th character is an escaped value character its pair is kept.
  platform.SetEnv("commas", std::string(600, ',').c_str());
  line = Expand(std::string(23, 'x') + "%commas%");
  EXPECT_EQ(1025u, line.size());
  EXPECT_EQ("\\,", line.substr(1023));

  // Plain text beyond 1024 characters is dropped too.
  line = Expand(std::string(1027, 'y'));
  EXPECT_EQ(1024u, line.size());
}

// In a UTF-8 script the limits never split a character: the value read, the
// clipboard and the expanded line each end before one that does not fit.
TEST_F(ParamsTest, Utf8ExpansionIsCutAtACharacter) {
  const std::string jp = "\xE6\x97\xA5";  // three bytes
  std::string jps;
  for (int i = 0; i < 400; ++i) jps += jp;  // 1200 bytes
  platform.SetEnv("jp", jps);
  platform.SetClipboard(jps);
  platform.SetEnv("commas", std::string(600, ','));
  struct Case {
    std::string line;
    size_t utf8_size;  // and byte for byte in an ANSI script:
    size_t ansi_size;
  };
  const Case cases[] = {
      {"%jp%", 1023, 1024},                    // the value read: 341 whole characters
      {"%clipboard%", 1023, 1024},
      {"ab%jp%", 1022, 1024},                  // the line: 1024 would split one
      {"a%jp%", 1024, 1024},                   // 1 + 341 characters fit exactly
      {std::string(1022, 'x') + jp, 1022, 1024},
      {std::string(1021, 'x') + jp, 1024, 1024},  // fits exactly
      {std::string(23, 'x') + "%commas%", 1025, 1025},  // an escape pair is still kept whole
      {"\xDC\xFC\xDF%jp%", 1023, 1024},         // invalid bytes count one each
  };
  for (const Case& c : cases) {
    std::string utf8 = Expand(c.line, 0, true);
    EXPECT_EQ(c.utf8_size, utf8.size()) << c.line.substr(0, 12);
    EXPECT_EQ(utf8.size(), script::Utf8CutLength(utf8.data(), utf8.size(), utf8.size()));
    std::string ansi = Expand(c.line);
    EXPECT_EQ(c.ansi_size, ansi.size()) << c.line.substr(0, 12);
    EXPECT_EQ(0, ansi.compare(0, utf8.size(), utf8));  // the same text, only cut earlier
  }
}

TEST_F(ParamsTest, ArbitraryFullLineWithManyReferencesStaysInBounds) {
  platform.SetEnv("a", std::string(1024, '\\').c_str());
  std::string guard(kBufSize + 64, '\x5A');
  char* line = &guard[0];
  // 1027 bytes of references, backslashes, commas and high bytes.
  const char pattern[] = "%a%\\,\xff%a%";
  const size_t kLineChars = static_cast<size_t>(kBufSize) - 1;
  for (size_t i = 0; i < kLineChars; ++i) line[i] = pattern[i % (sizeof(pattern) - 1)];
  line[kBufSize - 1] = '\0';
  script::ExpandVariables(platform.services(), line);
  EXPECT_LE(strlen(line), 1025u);
  for (size_t i = 0; i < 64; ++i) ASSERT_EQ(0x5A, (unsigned char)guard[kLineChars + 1 + i]);
  int cursor = 0;
  char out[kBufSize];
  while (line[cursor] != '\0') script::SplitField(',', line, &cursor, out);
}

TEST_F(ParamsTest, IntegerValue) {
  EXPECT_EQ(12, script::IntegerValue("12abc"));
  EXPECT_EQ(1, script::IntegerValue("1,000"));
  EXPECT_EQ(-7, script::IntegerValue(" \t\n\v\f\r-7"));
  EXPECT_EQ(5, script::IntegerValue("+5"));
  EXPECT_EQ(0, script::IntegerValue("abc"));
  EXPECT_EQ(0, script::IntegerValue(""));
  EXPECT_EQ(0, script::IntegerValue("-"));
  EXPECT_EQ(0, script::IntegerValue("- 5"));
  EXPECT_EQ(2147483647, script::IntegerValue("2147483647"));
  EXPECT_EQ((int)0x80000000u, script::IntegerValue("2147483648"));
  EXPECT_EQ((int)0x80000000u, script::IntegerValue("-2147483648"));
  EXPECT_EQ(-1073741819, script::IntegerValue("3221225477"));
  EXPECT_EQ(1, script::IntegerValue("4294967297"));  // wraps around 2^32
}

TEST_F(ParamsTest, BoundedAppendStopsAt8192) {
  std::string guard(script::kStatusMax + 1 + 16, '\x5A');
  char* dest = &guard[0];
  dest[0] = '\0';
  std::string chunk(5000, 'c');
  script::BoundedAppend("ab", dest);
  script::BoundedAppend(chunk.c_str(), dest);
  EXPECT_EQ(5002u, strlen(dest));
  script::BoundedAppend(chunk.c_str(), dest);
  EXPECT_EQ((size_t)script::kStatusMax, strlen(dest));
  script::BoundedAppend("more", dest);
  EXPECT_EQ((size_t)script::kStatusMax, strlen(dest));
  const size_t kEnd = static_cast<size_t>(script::kStatusMax) + 1;
  for (size_t i = 0; i < 16; ++i) ASSERT_EQ(0x5A, (unsigned char)guard[kEnd + i]);
}

}  // namespace
