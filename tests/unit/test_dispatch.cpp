// Tests of the dispatcher and the command table: how a line is split into a
// command's fields by its shape, when a missing comma fails or is silent, and
// that every row of the table is well formed.
#include <gtest/gtest.h>

#include <ctype.h>
#include <string.h>

#include <string>
#include <vector>

#include "script/commands.h"
#include "script/interp.h"
#include "script/text.h"
#include "tests/unit/engine_harness.h"
#include "tests/unit/fake_platform.h"

namespace {

using test_engine::InterpTest;

// Records what the handler was given as "given:[field][field]...|tail", the
// tail being the rest of the line after the last field, and " short" after it
// when a required comma was missing.
bool RecordFields(script::Interp& in, script::Fields& f) {
  std::string entry = std::to_string(f.given) + ":";
  for (int i = 0; i < f.count; ++i) entry += "[" + std::string(f.at[i]) + "]";
  entry += "|" + std::string(f.line + *f.cursor);
  if (!f.complete) entry += " short";
  fake::Of(in).Record(entry);
  return true;
}

// One line dispatched with RecordFields installed for its command.
struct ShapeCase {
  const char* line;
  int command;          // the command whose handler records
  const char* fields;   // what it recorded; "" when it never ran
  const char* failure;  // the message Dispatch failed with; 0 when it succeeded
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.line; }

class ShapeTest : public InterpTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(ShapeTest, SplitsTheLineByTheCommandsShape) {
  const ShapeCase& c = GetParam();
  script::SetHandler(in, c.command, RecordFields);
  char line[script::kBufSize];
  script::CopyText(line, c.line, script::kBufSize);
  int cursor = 0;
  in.failure = 0;
  bool ok = script::Dispatch(in, line, &cursor);
  EXPECT_EQ(c.failure == 0, ok);
  if (c.failure != 0) {
    ASSERT_TRUE(in.failure != 0);
    EXPECT_STREQ(c.failure, in.failure);
  }
  std::string recorded = Trace().empty() ? std::string() : Trace()[0];
  EXPECT_EQ(c.fields, recorded);
  EXPECT_LE(Trace().size(), 1u);
  // Dispatch never reports by itself; its caller does.
  EXPECT_TRUE(platform.ErrorBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    RunLike, ShapeTest,
    ::testing::Values(
        // The given count tells an empty field written out from one left off.
        ShapeCase{"Run, notepad", script::CMD_RUN, "1:[notepad][][]|", 0},
        ShapeCase{"Run, notepad,", script::CMD_RUN, "2:[notepad][][]|", 0},
        ShapeCase{"Run, notepad, C:\\\\dir", script::CMD_RUN, "2:[notepad][C:\\dir][]|", 0},
        ShapeCase{"Run, notepad, , max", script::CMD_RUN, "3:[notepad][][max]|", 0},
        ShapeCase{"RunWait, a, b, c, d", script::CMD_RUNWAIT, "3:[a][b][c, d]|", 0},
        ShapeCase{"Run", script::CMD_RUN, "1:[][][]|", 0},
        ShapeCase{"Run, a\\, b", script::CMD_RUN, "1:[a, b][][]|", 0}));

INSTANTIATE_TEST_SUITE_P(
    RestOfLine, ShapeTest,
    ::testing::Values(
        ShapeCase{"Send, a, b\\, c, d", script::CMD_SEND, "1:[a, b, c, d]|", 0},
        ShapeCase{"WinMove, t, x, 1, 2, 3, 4, 5", script::CMD_WINMOVE, "6:[t][x][1][2][3][4, 5]|", 0},
        ShapeCase{"WinWait", script::CMD_WINWAIT, "1:[][][]|", 0},
        ShapeCase{"Exit, anything", script::CMD_EXIT, "0:| anything", 0},
        ShapeCase{"MsgBox, 0, title,", script::CMD_MSGBOX, "3:[0][title][]|", 0},
        ShapeCase{"MsgBox, 0, title", script::CMD_MSGBOX, "",
                  "MsgBox: Invalid number of parameters!"}));

INSTANTIATE_TEST_SUITE_P(
    Conditions, ShapeTest,
    ::testing::Values(
        // Every field of a condition ends at a comma; the rest is its tail.
        ShapeCase{"IfWinExist, t, x, Send, y, z", script::CMD_IFWINEXIST, "2:[t][x]| Send, y, z", 0},
        ShapeCase{"IfWinExist, t, x,", script::CMD_IFWINEXIST, "2:[t][x]|", 0},
        ShapeCase{"IfWinExist, t, x", script::CMD_IFWINEXIST, "",
                  "IfWinExist: Invalid number of parameters!"},
        ShapeCase{"IfWinNotActive, t", script::CMD_IFWINNOTACTIVE, "",
                  "IfWinNotActive: Invalid number of parameters!"},
        ShapeCase{"IfExist, C:\\\\x.txt", script::CMD_IFEXIST, "", "IfExist: Invalid number of parameters"},
        ShapeCase{"IfNotExist, C:\\\\x.txt, Exit", script::CMD_IFNOTEXIST, "1:[C:\\x.txt]| Exit", 0},
        ShapeCase{"IfMsgBox, Yes", script::CMD_IFMSGBOX, "", "IfMsgBox: Invalid number of parameters!"}));

INSTANTIATE_TEST_SUITE_P(
    Silent, ShapeTest,
    ::testing::Values(
        // Without a message, a missing comma makes the command do nothing at all.
        ShapeCase{"LeftClick", script::CMD_LEFTCLICK, "", 0},
        ShapeCase{"LeftClick, 10", script::CMD_LEFTCLICK, "", 0},
        ShapeCase{"LeftClick, 10, 20", script::CMD_LEFTCLICK, "2:[10][20]|", 0},
        ShapeCase{"RightClick, 10", script::CMD_RIGHTCLICK, "", 0},
        ShapeCase{"SetEnv, x", script::CMD_SETENV, "", 0},
        ShapeCase{"SetEnv, x,", script::CMD_SETENV, "2:[x][]|", 0},
        ShapeCase{"Done:", script::CMD_SEND, "", 0},
        ShapeCase{"Bogus, x", script::CMD_SEND, "", "Error: Invalid command!"}));

INSTANTIATE_TEST_SUITE_P(
    ReadBeforeTheCheck, ShapeTest,
    ::testing::Values(
        // SplashTextOn stores its text before the check: its handler sees the
        // short line (an empty text after the missing comma), then the
        // dispatcher reports the comma.
        ShapeCase{"SplashTextOn, 300, 100, Wait", script::CMD_SPLASHTEXTON,
                  "3:[300][100][Wait][]| short", "SplashTextOn: Invalid number of parameters!"},
        ShapeCase{"SplashTextOn, 300 100, Wait, Text", script::CMD_SPLASHTEXTON,
                  "3:[300 100][Wait][Text][]| short", "SplashTextOn: Invalid number of parameters!"},
        ShapeCase{"SplashTextOn, 300, 100, Wait, Please, wait", script::CMD_SPLASHTEXTON,
                  "4:[300][100][Wait][Please, wait]|", 0}));

// The commands that require at least one comma.
std::vector<int> CommandsWithRequiredCommas() {
  std::vector<int> out;
  for (int i = 0; i < script::CMD_COUNT; ++i) {
    if (script::CommandAt(i)->required > 0) out.push_back(i);
  }
  return out;
}

std::string KeywordName(const ::testing::TestParamInfo<int>& info) {
  return script::CommandKeyword(info.param);
}

// Each command that requires commas, dispatched with all of them or one short.
class RequiredCommaTest : public InterpTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    InterpTest::SetUp();
    script::SetHandler(in, GetParam(), RecordFields);
  }
  const script::CommandInfo& Info() const { return *script::CommandAt(GetParam()); }
  // The keyword and one value for each required field, each ended by a comma
  // except the last one when short is true.
  std::string LineWithCommas(bool one_short) const {
    std::string line = Info().keyword;
    for (int k = 0; k < Info().required; ++k) line += ", 1";
    return one_short ? line : line + ",";
  }
  bool DispatchText(const std::string& text) {
    script::CopyText(line_, text.c_str(), script::kBufSize);
    int cursor = 0;
    in.failure = 0;
    return script::Dispatch(in, line_, &cursor);
  }
  char line_[script::kBufSize];
};

TEST_P(RequiredCommaTest, OneCommaShortFailsWithTheTableMessageOrDoesNothing) {
  bool ok = DispatchText(LineWithCommas(true));
  if (Info().message != 0) {
    EXPECT_FALSE(ok);
    EXPECT_STREQ(Info().message, in.failure);
  } else {
    EXPECT_TRUE(ok);
    EXPECT_TRUE(in.failure == 0);
  }
  // Only a command that reads before its check sees the short line.
  EXPECT_EQ(script::ReadsBeforeCommaCheck(GetParam()), !Trace().empty());
}

TEST_P(RequiredCommaTest, WithEveryCommaTheHandlerRunsAndSeesThem) {
  EXPECT_TRUE(DispatchText(LineWithCommas(false)));
  ASSERT_EQ(1u, Trace().size());
  int count = static_cast<int>(strlen(Info().kinds));
  int given = Info().required + 1 < count ? Info().required + 1 : count;
  EXPECT_EQ(std::to_string(given) + ":[1]", Trace()[0].substr(0, 5));
}

INSTANTIATE_TEST_SUITE_P(Table, RequiredCommaTest, ::testing::ValuesIn(CommandsWithRequiredCommas()),
                         KeywordName);

// The letters a KINDS column may hold.
bool IsFieldKind(char c) {
  switch (c) {
    case script::kFieldNumber:
    case script::kFieldExtent:
    case script::kFieldTitle:
    case script::kFieldWindowText:
    case script::kFieldLabel:
    case script::kFieldKeys:
    case script::kFieldPath:
    case script::kFieldProgram:
    case script::kFieldVariable:
    case script::kFieldWord:
    case script::kFieldRegistryRoot:
    case script::kFieldText:
      return true;
    default:
      return false;
  }
}

// The command a message names before its colon; messages keep the runner's
// historical wording, so FileAppend's says "FileAppendLine:".
std::string NamedCommand(const char* message) {
  const char* colon = strchr(message, ':');
  std::string name = colon ? std::string(message, static_cast<size_t>(colon - message)) : std::string();
  return name == "FileAppendLine" ? std::string("FileAppend") : name;
}

TEST(CommandTable, EveryRowIsWellFormed) {
  for (int i = 0; i < script::CMD_COUNT; ++i) {
    const script::CommandInfo& info = *script::CommandAt(i);
    SCOPED_TRACE(info.keyword);
    // The keyword is upper case and finds its own row in any letter case.
    std::string lower;
    for (const char* k = info.keyword; *k; ++k) {
      EXPECT_TRUE(isupper(static_cast<unsigned char>(*k)));
      lower += static_cast<char>(tolower(static_cast<unsigned char>(*k)));
    }
    EXPECT_EQ(i, script::FindCommand(lower.c_str()));
    for (const char* k = info.kinds; *k; ++k) EXPECT_TRUE(IsFieldKind(*k)) << "kind '" << *k << "'";
    // A message only where a comma is required, and it names its own command
    // with the parameter-count complaint after it.
    if (info.message == 0) continue;
    EXPECT_GT(info.required, 0);
    EXPECT_EQ(info.spelling, NamedCommand(info.message)) << info.message;
    EXPECT_NE(nullptr, strstr(info.message, ": Invalid number of parameters")) << info.message;
  }
}

TEST(CommandTable, ConditionsCarryATailAndRequireEveryField) {
  for (int i = 0; i < script::CMD_COUNT; ++i) {
    const script::CommandInfo& info = *script::CommandAt(i);
    if (info.form != script::kTailFields) continue;
    SCOPED_TRACE(info.keyword);
    EXPECT_EQ(0, strncmp(info.keyword, "IF", 2));
    EXPECT_EQ(static_cast<int>(strlen(info.kinds)), info.required);
    EXPECT_TRUE(info.message != 0);
  }
}

}  // namespace
