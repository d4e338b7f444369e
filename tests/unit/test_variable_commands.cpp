// Tests of the core's variable commands: SetEnv, EnvAdd, EnvSub and the six
// variable conditions, run through the statement step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/commands.h"
#include "script/interp.h"
#include "tests/unit/engine_harness.h"
#include "tests/unit/fake_platform.h"

namespace {

using test_engine::InterpTest;
using test_engine::Lines;

typedef InterpTest VariableCommandsTest;

// ---- SetEnv ----

TEST_F(VariableCommandsTest, SetEnvWithoutACommaDoesNothing) {
  Load({"SetEnv, x", "Send, after"});
  Run();
  EXPECT_FALSE(platform.HasEnv("x"));
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  EXPECT_EQ(Lines({"after"}), Trace());
}

TEST_F(VariableCommandsTest, SetEnvValueIsTheRestOfTheLineAndMayBeEmpty) {
  Load({"SetEnv, x,", "SetEnv, y, a,b", "SetEnv, z,   spaced out  "});
  Run();
  EXPECT_TRUE(platform.HasEnv("x"));
  EXPECT_EQ("", platform.Env("x"));
  EXPECT_EQ("a,b", platform.Env("y"));
  EXPECT_EQ("spaced out", platform.Env("z"));
}

TEST_F(VariableCommandsTest, SetEnvNameAndValueMayComeFromVariables) {
  platform.SetEnv("y", "x");
  platform.SetEnv("v", "a,b\\c");
  Load({"SetEnv, %y%, 1", "SetEnv, copy, %v%"});
  Run();
  EXPECT_EQ("1", platform.Env("x"));
  EXPECT_EQ("a,b\\c", platform.Env("copy"));  // expansion escapes, the splitter gives it back
}

TEST_F(VariableCommandsTest, SetEnvOnClipboardSetsTheClipboard) {
  Load({"SetEnv, ClipBoard, hello"});
  Run();
  EXPECT_EQ("hello", platform.Clipboard());
  EXPECT_FALSE(platform.HasEnv("clipboard"));
}

// ---- EnvAdd and EnvSub ----

// A variable's value before one EnvAdd or EnvSub line, and after it.
struct ArithmeticCase {
  const char* before;  // 0: the variable is not defined
  const char* line;
  const char* after;
};

void PrintTo(const ArithmeticCase& c, std::ostream* os) {
  *os << (c.before ? c.before : "(undefined)") << " / " << c.line;
}

class ArithmeticTest : public InterpTest, public ::testing::WithParamInterface<ArithmeticCase> {};

TEST_P(ArithmeticTest, WritesTheSumInSignedDecimal) {
  const ArithmeticCase& c = GetParam();
  if (c.before) platform.SetEnv("x", c.before);
  Load({c.line});
  Run();
  EXPECT_TRUE(platform.ErrorBoxes().empty()) << platform.LastError();
  EXPECT_EQ(c.after, platform.Env("x"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, ArithmeticTest,
    ::testing::Values(
        // An undefined variable, or one that is not a number, counts as 0.
        ArithmeticCase{0, "EnvAdd, x, 5", "5"}, ArithmeticCase{0, "EnvSub, x, 5", "-5"},
        ArithmeticCase{0, "EnvAdd, x,", "0"}, ArithmeticCase{"", "EnvSub, x, 0", "0"},
        ArithmeticCase{"abc", "EnvAdd, x, 2", "2"},
        // The integer value reads leading digits only, of both operands.
        ArithmeticCase{"7abc", "EnvAdd, x, 1", "8"}, ArithmeticCase{"7abc", "EnvAdd, x, abc", "7"},
        ArithmeticCase{"5", "EnvAdd, x, 1,000", "6"}, ArithmeticCase{"0012", "EnvAdd, x, +3", "15"},
        ArithmeticCase{"10", "EnvSub, x, -5", "15"}, ArithmeticCase{"-3", "EnvAdd, x, 1", "-2"},
        // Names ignore letter case.
        ArithmeticCase{"5", "EnvAdd, X, 1", "6"},
        // Sums and differences wrap around in 32 bits.
        ArithmeticCase{"2147483647", "EnvAdd, x, 1", "-2147483648"},
        ArithmeticCase{"-2147483648", "EnvSub, x, 1", "2147483647"},
        ArithmeticCase{"0", "EnvSub, x, -2147483648", "-2147483648"},
        ArithmeticCase{"4294967301", "EnvAdd, x, 0", "5"}));

TEST_F(VariableCommandsTest, EnvAddNameMayComeFromAVariable) {
  platform.SetEnv("y", "x");
  platform.SetEnv("x", "40");
  Load({"EnvAdd, %y%, 2"});
  Run();
  EXPECT_EQ("42", platform.Env("x"));
}

TEST_F(VariableCommandsTest, EnvAddOnTheClipboardWritesTheClipboard) {
  platform.SetClipboard("41");
  Load({"EnvAdd, clipboard, 1"});
  Run();
  EXPECT_EQ("42", platform.Clipboard());
  EXPECT_FALSE(platform.HasEnv("clipboard"));
}

TEST_F(VariableCommandsTest, EnvAddOnABuiltInWritesAVariableReadsNeverSee) {
  Load({"EnvAdd, A_SEC, 1", "IfEqual, A_SEC, 05, Send, still the clock"});
  Run();
  EXPECT_EQ("6", platform.Env("A_SEC"));  // the clock's 05 plus 1
  EXPECT_EQ(Lines({"still the clock"}), Trace());
}

// ---- missing commas ----

struct MissingCommaCase {
  const char* line;
  const char* message;
};

void PrintTo(const MissingCommaCase& c, std::ostream* os) { *os << c.line; }

class MissingCommaTest : public InterpTest, public ::testing::WithParamInterface<MissingCommaCase> {};

TEST_P(MissingCommaTest, IsReportedAndChangesNothing) {
  platform.SetEnv("x", "5");
  Load({GetParam().line, "Send, never"});
  Run();
  EXPECT_EQ(GetParam().message, LastError());
  EXPECT_EQ(1, LastErrorLine());
  EXPECT_EQ("5", platform.Env("x"));
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(script::kStopping, in.wait_state);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, MissingCommaTest,
    ::testing::Values(
        MissingCommaCase{"EnvAdd, x", "EnvAdd: Invalid number of parameters!"},
        MissingCommaCase{"EnvSub, x", "EnvSub: Invalid number of parameters!"},
        MissingCommaCase{"IfEqual, x", "IfEqual: Invalid number of parameters!"},
        MissingCommaCase{"IfEqual, x, 5", "IfEqual: Invalid number of parameters!"},
        MissingCommaCase{"IfNotEqual, x, 6", "IfNotEqual: Invalid number of parameters!"},
        // The number must end at a comma even when no tail follows.
        MissingCommaCase{"IfGreater, x, 1", "IfGreater: Invalid number of parameters!"},
        MissingCommaCase{"IfLess, x, 9", "IfLess: Invalid number of parameters!"},
        MissingCommaCase{"IfGreaterOrEqual, x", "IfGreaterOrEqual: Invalid number of parameters!"},
        MissingCommaCase{"IfLessOrEqual, x, 9", "IfLessOrEqual: Invalid number of parameters!"}));

// ---- conditions ----

// A condition line with the tail "Send, ran", and whether it holds for the
// value of x.
struct ConditionCase {
  const char* x;  // 0: x is not defined
  const char* condition;
  bool holds;
};

void PrintTo(const ConditionCase& c, std::ostream* os) {
  *os << "x=" << (c.x ? c.x : "(undefined)") << " " << c.condition;
}

class ConditionTest : public InterpTest, public ::testing::WithParamInterface<ConditionCase> {};

TEST_P(ConditionTest, RunsTheTailOnlyWhenItHolds) {
  const ConditionCase& c = GetParam();
  if (c.x) platform.SetEnv("x", c.x);
  Load({std::string(c.condition) + ", Send, ran", "Send, next"});
  Run();
  EXPECT_TRUE(platform.ErrorBoxes().empty()) << platform.LastError();
  EXPECT_EQ(c.holds ? Lines({"ran", "next"}) : Lines({"next"}), Trace());
}

INSTANTIATE_TEST_SUITE_P(
    Text, ConditionTest,
    ::testing::Values(
        // Whole texts, without regard to letter case.
        ConditionCase{"ABC", "IfEqual, x, abc", true}, ConditionCase{"ABC", "IfNotEqual, x, abc", false},
        ConditionCase{"abc", "IfEqual, x, ab", false}, ConditionCase{"abc", "IfNotEqual, x, abcd", true},
        ConditionCase{"5", "IfEqual, x, 05", false}, ConditionCase{"5", "IfNotEqual, x, 05", true},
        ConditionCase{"a,b", "IfEqual, x, a\\,b", true},
        ConditionCase{0, "IfEqual, x, ", true}, ConditionCase{0, "IfNotEqual, x,", false},
        ConditionCase{"", "IfEqual, x,", true}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, ConditionTest,
    ::testing::Values(
        // Integer values, not texts: 10 > 9 although "10" < "9".
        ConditionCase{"10", "IfGreater, x, 9", true}, ConditionCase{"9", "IfLess, x, 10", true},
        ConditionCase{"5", "IfGreaterOrEqual, x, 05", true}, ConditionCase{"5", "IfGreater, x, 5", false},
        ConditionCase{"5", "IfLess, x, 5", false}, ConditionCase{"5", "IfLessOrEqual, x, 5", true},
        ConditionCase{"6", "IfLessOrEqual, x, 5", false}, ConditionCase{"4", "IfGreaterOrEqual, x, 5", false},
        ConditionCase{"-1", "IfGreater, x, 0", false}, ConditionCase{"-1", "IfLess, x, 0", true},
        // Undefined and non-numeric values count as 0.
        ConditionCase{0, "IfLess, x, 1", true}, ConditionCase{"abc", "IfGreaterOrEqual, x, 0", true},
        ConditionCase{"3 apples", "IfGreater, x, 2 pears", true},
        // Values wrap into 32 bits before they are compared.
        ConditionCase{"2147483648", "IfLess, x, 0", true},
        ConditionCase{"4294967297", "IfLessOrEqual, x, 1", true}));

TEST_F(VariableCommandsTest, ConditionsReadTheBuiltIns) {
  // The clock stands at 10:04:05.
  Load({"IfGreater, A_HOUR, 9, Send, morning", "IfLess, A_HOUR, 10, Send, early",
        "IfEqual, A_MIN, 04, Send, minute"});
  Run();
  EXPECT_EQ(Lines({"morning", "minute"}), Trace());
}

TEST_F(VariableCommandsTest, AConditionThatFailsSkipsAnInvalidTail) {
  platform.SetEnv("x", "1");
  Load({"IfEqual, x, 2, Bogus", "IfGreater, x, 1, IfEqual", "Send, end"});
  Run();
  EXPECT_TRUE(platform.ErrorBoxes().empty());
  EXPECT_EQ(Lines({"end"}), Trace());
}

TEST_F(VariableCommandsTest, ATailErrorIsTheTailCommandsOwn) {
  platform.SetEnv("x", "1");
  Load({"IfEqual, x, 1, IfLess, x"});
  Run();
  EXPECT_EQ("IfLess: Invalid number of parameters!", LastError());
}

TEST_F(VariableCommandsTest, ATailMayChangeTheVariableItTested) {
  platform.SetEnv("n", "0");
  Load({"Top:", "EnvAdd, n, 1", "IfLess, n, 3, Goto, Top", "Send, %n%"});
  Run();
  EXPECT_EQ(Lines({"3"}), Trace());
}

}  // namespace
