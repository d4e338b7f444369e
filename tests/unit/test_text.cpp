// Tests of the small text routines: trimming, cutting, comparing, copying.
#include <gtest/gtest.h>

#include <string>

#include "script/text.h"

namespace {

std::string Trimmed(const char* text) {
  char buf[64];
  script::CopyText(buf, text, sizeof buf);
  script::Trim(buf);
  return buf;
}

TEST(Text, TrimRemovesOnlySpacesAndTabs) {
  EXPECT_EQ("Send, x", Trimmed(" \t Send, x\t  "));
  EXPECT_EQ("", Trimmed(" \t \t"));
  EXPECT_EQ("", Trimmed(""));
  EXPECT_EQ("a  b", Trimmed("a  b"));
  // Carriage returns, line feeds and other control bytes are not blanks.
  EXPECT_EQ("x\r", Trimmed("  x\r "));
  EXPECT_EQ("\rx", Trimmed("\rx"));
  EXPECT_EQ("\vx\f", Trimmed("\vx\f"));
}

TEST(Text, CutAtLineFeedEndsAtTheFirstOne) {
  char a[] = "one\r\ntwo\nthree";
  script::CutAtLineFeed(a);
  EXPECT_STREQ("one\r", a);
  char b[] = "no line feed";
  script::CutAtLineFeed(b);
  EXPECT_STREQ("no line feed", b);
  char c[] = "\nrest";
  script::CutAtLineFeed(c);
  EXPECT_STREQ("", c);
}

TEST(Text, EqualsNoCaseAndCopyText) {
  EXPECT_TRUE(script::EqualsNoCase("[adlib]", "[ADLIB]"));
  EXPECT_FALSE(script::EqualsNoCase("abc", "abcd"));
  EXPECT_FALSE(script::EqualsNoCase("[", "{"));  // 0x5B and 0x7B differ by the case bit
  char buf[4];
  script::CopyText(buf, "abcdef", sizeof buf);
  EXPECT_STREQ("abc", buf);
}

}  // namespace
