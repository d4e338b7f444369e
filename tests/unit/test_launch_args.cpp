// Tests of the command line: script arguments after "/p" and the options before it.
#include <gtest/gtest.h>

#include <string>

#include "host/launch_args.h"
#include "tests/unit/fake_platform.h"

namespace {

class ScriptArgsTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
};

TEST_F(ScriptArgsTest, NoMarkSetsNothing) {
  host::PublishScriptArgs("one two");
  EXPECT_FALSE(fake::HasEnv("1"));
  host::PublishScriptArgs("/p   ");
  EXPECT_FALSE(fake::HasEnv("1"));
}

TEST_F(ScriptArgsTest, SplitsAtSpacesOutsideQuotes) {
  host::PublishScriptArgs("ignored /p one \"two three\" c\td");
  EXPECT_EQ("one", fake::Env("1"));
  EXPECT_EQ("two three", fake::Env("2"));
  EXPECT_EQ("c\td", fake::Env("3"));
  EXPECT_FALSE(fake::HasEnv("4"));
}

TEST_F(ScriptArgsTest, LowerCaseMarkWinsOverUpperCase) {
  host::PublishScriptArgs("/P upper /p lower");
  EXPECT_EQ("lower", fake::Env("1"));
  EXPECT_FALSE(fake::HasEnv("2"));
  fake::Reset();
  host::PublishScriptArgs("x/Pupper");
  EXPECT_EQ("upper", fake::Env("1"));
}

TEST_F(ScriptArgsTest, TwoSpacesGiveAnEmptyArgument) {
  host::PublishScriptArgs("/p a  b");
  EXPECT_EQ("a", fake::Env("1"));
  EXPECT_TRUE(fake::HasEnv("2"));
  EXPECT_EQ("", fake::Env("2"));
  EXPECT_EQ("b", fake::Env("3"));
}

TEST_F(ScriptArgsTest, TrailingSpacesAreTrimmedAndAnEmptyLastIsNotStored) {
  host::PublishScriptArgs("/p  a b  \t ");
  EXPECT_EQ("a", fake::Env("1"));
  EXPECT_EQ("b", fake::Env("2"));
  EXPECT_FALSE(fake::HasEnv("3"));
  fake::Reset();
  host::PublishScriptArgs("/p a \"\"");  // the quotes give a literal quote, not an empty argument
  EXPECT_EQ("\"", fake::Env("2"));
}

TEST_F(ScriptArgsTest, Quotes) {
  host::PublishScriptArgs("/p say\"\"hi \"open end");
  EXPECT_EQ("say\"hi", fake::Env("1"));
  EXPECT_EQ("open end", fake::Env("2"));
  fake::Reset();
  host::PublishScriptArgs("/p \"a\"\"b\"");  // quote, a, quote-quote, b, quote
  EXPECT_EQ("a\"b", fake::Env("1"));
}

TEST_F(ScriptArgsTest, LongTextIsCutAt259Characters) {
  std::string text = "/p " + std::string(300, 'x') + " second";
  host::PublishScriptArgs(text.c_str());
  // 259 characters after "/p" remain: the blank and 258 x.
  EXPECT_EQ(std::string(258, 'x'), fake::Env("1"));
  EXPECT_FALSE(fake::HasEnv("2"));
}

TEST(LaunchOptionsTest, Unattended) {
  host::LaunchOptions o;
  host::ParseLaunchOptions("", &o);
  EXPECT_FALSE(o.unattended);

  host::ParseLaunchOptions("/UNATTENDED", &o);
  EXPECT_TRUE(o.unattended);
  EXPECT_STREQ("", o.log_path);

  host::ParseLaunchOptions("junk /unattended:k.log more", &o);
  EXPECT_TRUE(o.unattended);
  EXPECT_STREQ("k.log", o.log_path);

  host::ParseLaunchOptions("\"/unattended:C:\\my logs\\k.log\" /p a", &o);
  EXPECT_STREQ("C:\\my logs\\k.log", o.log_path);

  host::ParseLaunchOptions("\t/Unattended:\"C:\\my logs\\k.log\"", &o);
  EXPECT_STREQ("C:\\my logs\\k.log", o.log_path);
}

TEST(LaunchOptionsTest, OnlyTextBeforeTheMarkCounts) {
  host::LaunchOptions o;
  host::ParseLaunchOptions("/p /unattended", &o);
  EXPECT_FALSE(o.unattended);
  host::ParseLaunchOptions("/P /unattended", &o);
  EXPECT_FALSE(o.unattended);
  host::ParseLaunchOptions("/unattended-ish /unattendedx", &o);
  EXPECT_FALSE(o.unattended);
}

TEST(LaunchOptionsTest, LongLogPathIsCut) {
  host::LaunchOptions o;
  std::string text = "/unattended:" + std::string(1000, 'f');
  host::ParseLaunchOptions(text.c_str(), &o);
  EXPECT_TRUE(o.unattended);
  EXPECT_EQ(std::string(host::kArgBufSize - 1, 'f'), o.log_path);
}

}  // namespace
