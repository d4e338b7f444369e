// Tests of the command line: script arguments after "/p" and the options before it.
#include <gtest/gtest.h>

#include <string>

#include "script/launch_args.h"
#include "tests/unit/fake_platform.h"

namespace {

class ScriptArgsTest : public ::testing::Test {
 protected:
  void Publish(const std::string& command_line, bool utf8 = false) {
    script::PublishScriptArgs(platform.services(), command_line.c_str(), utf8);
  }
  bool Has(const char* name) const { return platform.HasEnv(name); }
  std::string Arg(const char* name) const { return platform.Env(name); }
  fake::Platform platform;
};

TEST_F(ScriptArgsTest, NoMarkSetsNothing) {
  Publish("one two");
  EXPECT_FALSE(Has("1"));
}

TEST_F(ScriptArgsTest, BlankTextAfterTheMarkSetsNothing) {
  Publish("/p   ");
  EXPECT_FALSE(Has("1"));
}

TEST_F(ScriptArgsTest, SplitsAtSpacesOutsideQuotes) {
  Publish("ignored /p one \"two three\" c\td");
  EXPECT_EQ("one", Arg("1"));
  EXPECT_EQ("two three", Arg("2"));
  EXPECT_EQ("c\td", Arg("3"));
  EXPECT_FALSE(Has("4"));
}

TEST_F(ScriptArgsTest, LowerCaseMarkWinsOverUpperCase) {
  Publish("/P upper /p lower");
  EXPECT_EQ("lower", Arg("1"));
  EXPECT_FALSE(Has("2"));
}

TEST_F(ScriptArgsTest, UpperCaseMarkMayStandInsideAWord) {
  Publish("x/Pupper");
  EXPECT_EQ("upper", Arg("1"));
}

TEST_F(ScriptArgsTest, TwoSpacesGiveAnEmptyArgument) {
  Publish("/p a  b");
  EXPECT_EQ("a", Arg("1"));
  EXPECT_TRUE(Has("2"));
  EXPECT_EQ("", Arg("2"));
  EXPECT_EQ("b", Arg("3"));
}

TEST_F(ScriptArgsTest, TrailingSpacesAreTrimmedAndAnEmptyLastIsNotStored) {
  Publish("/p  a b  \t ");
  EXPECT_EQ("a", Arg("1"));
  EXPECT_EQ("b", Arg("2"));
  EXPECT_FALSE(Has("3"));
}

TEST_F(ScriptArgsTest, TwoQuotesGiveALiteralQuoteNotAnEmptyArgument) {
  Publish("/p a \"\"");
  EXPECT_EQ("a", Arg("1"));
  EXPECT_EQ("\"", Arg("2"));
  EXPECT_FALSE(Has("3"));
}

TEST_F(ScriptArgsTest, QuotesGroupAndAnOpenQuoteRunsToTheEnd) {
  Publish("/p say\"\"hi \"open end");
  EXPECT_EQ("say\"hi", Arg("1"));
  EXPECT_EQ("open end", Arg("2"));
}

TEST_F(ScriptArgsTest, DoubledQuoteInsideQuotesIsOneQuote) {
  Publish("/p \"a\"\"b\"");  // quote, a, quote-quote, b, quote
  EXPECT_EQ("a\"b", Arg("1"));
  EXPECT_FALSE(Has("2"));
}

TEST_F(ScriptArgsTest, LongTextIsCutAt259Characters) {
  std::string text = "/p " + std::string(300, 'x') + " second";
  Publish(text);
  // 259 characters after "/p" remain: the blank and 258 x.
  EXPECT_EQ(std::string(258, 'x'), Arg("1"));
  EXPECT_FALSE(Has("2"));

  // In a UTF-8 script the cut keeps whole characters: 86 of three bytes fit
  // after the blank (1 + 258 bytes), the 87th would be split.
  std::string jp;
  for (int i = 0; i < 100; ++i) jp += "\xE6\x97\xA5";
  Publish("/p " + jp, true);
  EXPECT_EQ(jp.substr(0, 258), Arg("1"));
  Publish("/p x" + jp, true);
  EXPECT_EQ("x" + jp.substr(0, 255), Arg("1"));
  Publish("/p x" + jp);  // ANSI: byte for byte
  EXPECT_EQ("x" + jp.substr(0, 257), Arg("1"));
}

TEST(LaunchOptionsTest, Unattended) {
  script::LaunchOptions o;
  script::ParseLaunchOptions("", &o);
  EXPECT_FALSE(o.unattended);

  script::ParseLaunchOptions("/UNATTENDED", &o);
  EXPECT_TRUE(o.unattended);
  EXPECT_STREQ("", o.log_path);

  script::ParseLaunchOptions("junk /unattended:k.log more", &o);
  EXPECT_TRUE(o.unattended);
  EXPECT_STREQ("k.log", o.log_path);

  script::ParseLaunchOptions("\"/unattended:C:\\my logs\\k.log\" /p a", &o);
  EXPECT_STREQ("C:\\my logs\\k.log", o.log_path);

  script::ParseLaunchOptions("\t/Unattended:\"C:\\my logs\\k.log\"", &o);
  EXPECT_STREQ("C:\\my logs\\k.log", o.log_path);
}

TEST(LaunchOptionsTest, OnlyTextBeforeTheMarkCounts) {
  script::LaunchOptions o;
  script::ParseLaunchOptions("/p /unattended", &o);
  EXPECT_FALSE(o.unattended);
  script::ParseLaunchOptions("/P /unattended", &o);
  EXPECT_FALSE(o.unattended);
  script::ParseLaunchOptions("/unattended-ish /unattendedx", &o);
  EXPECT_FALSE(o.unattended);
}

TEST(LaunchOptionsTest, LongLogPathIsCut) {
  script::LaunchOptions o;
  std::string text = "/unattended:" + std::string(1000, 'f');
  script::ParseLaunchOptions(text.c_str(), &o);
  EXPECT_TRUE(o.unattended);
  EXPECT_EQ(std::string(script::kArgBufSize - 1, 'f'), o.log_path);

  // A UTF-8 path is cut before the character that would be split: 86
  // characters of three bytes (258 bytes) and not the lead byte of the 87th.
  std::string jp;
  for (int i = 0; i < 100; ++i) jp += "\xE6\x97\xA5";
  script::ParseLaunchOptions(("/unattended:" + jp).c_str(), &o, true);
  EXPECT_EQ(jp.substr(0, 258), o.log_path);
  script::ParseLaunchOptions(("/unattended:" + jp).c_str(), &o);  // ANSI: byte for byte
  EXPECT_EQ(jp.substr(0, 259), o.log_path);
}

}  // namespace
