// Tests of the variable store: date and time built-ins, the clipboard and
// the environment.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "script/limits.h"
#include "script/params.h"
#include "script/variables.h"
#include "tests/unit/fake_platform.h"

namespace {

class VariablesTest : public ::testing::Test {
 protected:
  std::string Read(const char* name) {
    char out[script::kMaxValue + 1];
    script::ReadVariable(platform.services(), name, out, script::kMaxValue);
    return out;
  }
  void Write(const char* name, const char* value) {
    script::WriteVariable(platform.services(), name, value);
  }
  fake::Platform platform;
};

TEST_F(VariablesTest, DateAndTimeParts) {
  script::TimeParts t = {7, 9, 3, 5, 3, 2024, 1, 65};  // Sunday 5 March 2024, 03:09:07
  platform.SetTime(t);
  EXPECT_EQ("07", Read("a_sec"));
  EXPECT_EQ("09", Read("A_MIN"));
  EXPECT_EQ("03", Read("A_Hour"));
  EXPECT_EQ("05", Read("A_MDAY"));
  EXPECT_EQ("03", Read("A_MON"));
  EXPECT_EQ("2024", Read("A_YEAR"));
  EXPECT_EQ("1", Read("A_WDAY"));
  EXPECT_EQ("65", Read("A_YDAY"));
}

TEST_F(VariablesTest, DayOfYearHasNoLeadingZeroButDayOfMonthHas) {
  script::TimeParts newyear = {0, 0, 0, 1, 1, 2025, 4, 1};
  platform.SetTime(newyear);
  EXPECT_EQ("1", Read("A_YDAY"));
  EXPECT_EQ("01", Read("A_MDAY"));
  EXPECT_EQ("00", Read("A_HOUR"));
}

TEST_F(VariablesTest, TheClockIsReadOnEveryUse) {
  EXPECT_EQ("10", Read("A_HOUR"));
  script::TimeParts later = {5, 4, 23, 15, 3, 2023, 4, 74};
  platform.SetTime(later);
  EXPECT_EQ("23", Read("A_HOUR"));
}

TEST_F(VariablesTest, WritingABuiltInNameDoesNotChangeItsReads) {
  Write("A_SEC", "99");
  EXPECT_EQ("05", Read("A_SEC"));
  EXPECT_EQ("99", platform.Env("A_SEC"));
}

TEST_F(VariablesTest, Clipboard) {
  EXPECT_EQ("", Read("CLIPBOARD"));  // holds no text
  Write("ClipBoard", "copied");
  EXPECT_EQ("copied", platform.Clipboard());
  EXPECT_FALSE(platform.HasEnv("clipboard"));
  EXPECT_EQ("copied", Read("clipboard"));
}

TEST_F(VariablesTest, LongClipboardTextIsCut) {
  platform.SetClipboard(std::string(2000, 'k'));
  EXPECT_EQ(1024u, Read("Clipboard").size());
}

TEST_F(VariablesTest, UnreadableClipboardGivesTheOverflowText) {
  platform.SetClipboard("text");
  platform.SetClipboardUnreadable(true);
  EXPECT_EQ("Kestro Clipboard overflow", Read("CLIPBOARD"));
}

TEST_F(VariablesTest, Environment) {
  EXPECT_EQ("", Read("nothing"));
  Write("Name", "value");
  EXPECT_EQ("value", Read("NAME"));
  Write("name", "");
  EXPECT_TRUE(platform.HasEnv("name"));
  EXPECT_EQ("", Read("name"));
  platform.SetEnv("long", std::string(1500, 'z'));
  EXPECT_EQ(1024u, Read("long").size());
}

TEST_F(VariablesTest, SmallReadsAreCutAndTerminated) {
  platform.SetEnv("word", "abcdef");
  platform.SetClipboard("uvwxyz");
  char out[8];
  memset(out, 'Z', sizeof out);
  script::ReadVariable(platform.services(), "word", out, 3);
  EXPECT_STREQ("abc", out);
  EXPECT_EQ('Z', out[4]);
  script::ReadVariable(platform.services(), "clipboard", out, 3);
  EXPECT_STREQ("uvw", out);
  script::ReadVariable(platform.services(), "A_YEAR", out, 3);
  EXPECT_STREQ("202", out);
}

TEST_F(VariablesTest, ExpansionUsesTheBuiltIns) {
  script::TimeParts t = {30, 0, 12, 1, 3, 2023, 4, 60};
  platform.SetTime(t);
  platform.SetClipboard("x,y");
  char line[script::kBufSize] = "%A_MON%/%A_YEAR% %clipboard%";
  ASSERT_TRUE(script::ExpandVariables(platform.services(), line));
  EXPECT_STREQ("03/2023 x\\,y", line);
}

}  // namespace
