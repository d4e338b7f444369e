// Tests of the variable store: date and time built-ins, the clipboard and
// the environment.
#include <gtest/gtest.h>

#include <string>

#include "script/engine.h"
#include "script/limits.h"
#include "script/params.h"
#include "script/variables.h"
#include "tests/unit/fake_platform.h"

namespace {

class VariablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    script::ResetEngine();
  }
  std::string Read(const char* name) {
    char out[script::kMaxValue + 1];
    script::ReadVariable(name, out, script::kMaxValue);
    return out;
  }
};

TEST_F(VariablesTest, DateAndTimeParts) {
  platform::TimeParts t = {7, 9, 3, 5, 3, 2024, 1, 65};  // Sunday 5 March 2024, 03:09:07
  fake::SetTime(t);
  EXPECT_EQ("07", Read("a_sec"));
  EXPECT_EQ("09", Read("A_MIN"));
  EXPECT_EQ("03", Read("A_Hour"));
  EXPECT_EQ("05", Read("A_MDAY"));
  EXPECT_EQ("03", Read("A_MON"));
  EXPECT_EQ("2024", Read("A_YEAR"));
  EXPECT_EQ("1", Read("A_WDAY"));
  EXPECT_EQ("65", Read("A_YDAY"));

  platform::TimeParts newyear = {0, 0, 0, 1, 1, 2025, 4, 1};
  fake::SetTime(newyear);
  EXPECT_EQ("1", Read("A_YDAY"));
  EXPECT_EQ("01", Read("A_MDAY"));
}

TEST_F(VariablesTest, WritingABuiltInNameDoesNotChangeItsReads) {
  script::WriteVariable("A_SEC", "99");
  EXPECT_EQ("05", Read("A_SEC"));
  EXPECT_EQ("99", fake::Env("A_SEC"));
}

TEST_F(VariablesTest, Clipboard) {
  EXPECT_EQ("", Read("CLIPBOARD"));  // holds no text
  script::WriteVariable("ClipBoard", "copied");
  EXPECT_EQ("copied", fake::Clipboard());
  EXPECT_FALSE(fake::HasEnv("clipboard"));
  EXPECT_EQ("copied", Read("clipboard"));

  fake::SetClipboard(std::string(2000, 'k'));
  EXPECT_EQ(1024u, Read("Clipboard").size());

  fake::SetClipboardUnreadable(true);
  EXPECT_EQ("Kestro Clipboard overflow", Read("CLIPBOARD"));
}

TEST_F(VariablesTest, Environment) {
  EXPECT_EQ("", Read("nothing"));
  script::WriteVariable("Name", "value");
  EXPECT_EQ("value", Read("NAME"));
  script::WriteVariable("name", "");
  EXPECT_TRUE(fake::HasEnv("name"));
  EXPECT_EQ("", Read("name"));
  platform::SetEnv("long", std::string(1500, 'z').c_str());
  EXPECT_EQ(1024u, Read("long").size());
}

TEST_F(VariablesTest, ExpansionUsesTheBuiltIns) {
  platform::TimeParts t = {30, 0, 12, 1, 3, 2023, 4, 60};
  fake::SetTime(t);
  fake::SetClipboard("x,y");
  char line[script::kBufSize] = "%A_MON%/%A_YEAR% %clipboard%";
  ASSERT_TRUE(script::ExpandVariables(line));
  EXPECT_STREQ("03/2023 x\\,y", line);
}

}  // namespace
