// Tests of the script checker: each finding with its line, column and
// severity, the reading of lines against the loader, and the repository's
// own scripts.
#include <gtest/gtest.h>

#include <ctype.h>
#include <dirent.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "checker/check.h"
#include "checker/dangers.h"
#include "checker/lines.h"
#include "checker/report.h"
#include "checker/suggest.h"
#include "script/commands.h"
#include "script/container.h"
#include "script/loader.h"
#include "script/text_encoding.h"

namespace {

using checker::Diagnostic;

std::vector<Diagnostic> Check(const std::string& text) { return checker::CheckScript(text); }

// The one finding a script is expected to have.
struct Expected {
  const char* name;
  std::string script;
  const char* code;
  int line;
  int column;
  checker::Severity severity;
  const char* message_part;  // a piece of the message
};

// gtest names a failing case by this, not by the bytes of the struct.
void PrintTo(const Expected& e, std::ostream* os) { *os << e.name; }

class CheckerFinding : public ::testing::TestWithParam<Expected> {};

TEST_P(CheckerFinding, IsReportedOnceWhereItStands) {
  const Expected& e = GetParam();
  std::vector<Diagnostic> found = Check(e.script);
  ASSERT_EQ(1u, found.size()) << checker::FormatText("t.kst", found);
  EXPECT_EQ(e.code, found[0].code);
  EXPECT_EQ(e.line, found[0].line);
  EXPECT_EQ(e.column, found[0].column);
  EXPECT_EQ(e.severity, found[0].severity);
  EXPECT_NE(std::string::npos, found[0].message.find(e.message_part)) << found[0].message;
  EXPECT_GT(found[0].end_column, found[0].column);
}

const checker::Severity E = checker::kError;
const checker::Severity W = checker::kWarning;

const Expected kFindings[] = {
    // Errors: what the runner would stop on.
    {"UnknownCommand", "Sleep, 1\nWinWiat, x\n", "unknown-command", 2, 1, E,
     "Error: Invalid command! (did you mean WinWait?)"},
    {"MissingComma", "  Sleep 100\n", "missing-comma", 1, 3, E, "a comma is missing after \"Sleep\""},
    {"EmptyKeyword", ", x\n", "unknown-command", 1, 1, E, "Error: Invalid command!"},
    {"LabelWithComment", "Start: ; note\n", "unknown-command", 1, 1, E, "a label must stand alone"},
    {"MissingParameters", "Sleep, 1\n\tMsgBox, 0 Title\n", "missing-parameters", 2, 2, E,
     "MsgBox: Invalid number of parameters!"},
    {"HistoricalWording", "FileAppend, x\\, y\n", "missing-parameters", 1, 1, E,
     "FileAppendLine: Invalid number of parameters!"},
    {"ConditionWithoutItsComma", "IfEqual, x, 1\n", "missing-parameters", 1, 1, E,
     "IfEqual: Invalid number of parameters!"},
    {"EmptyCondition", "IfEqual, x, 1,\n", "empty-condition", 1, 1, E, "Error: Invalid command!"},
    {"BadReference", "Send, 50%\n", "bad-reference", 1, 9, E, "Incorrectly formatted ENV string!"},
    {"UnknownLabel", "Goto, Nowhere\nThere:\n", "unknown-label", 1, 7, E,
     "Error: Cannot find requested label!"},
    {"LabelOnlyInAdlib", "Gosub, Handler\n[ADLIB]\nWin, , Send, x\n", "unknown-label", 1, 8, E,
     "no main-section line reads"},
    {"AdlibParameters", "Sleep, 1\n[ADLIB]\nSome Title, some text\n", "adlib-parameters", 3, 1, E,
     "Adlib: Invalid number of parameters!"},
    {"AdlibLabel", "Sleep, 1\n[adlib]\nHandler:\n", "adlib-label", 3, 1, E,
     "a label cannot stand in the Adlib section"},
    {"AdlibCommand", "Sleep, 1\n[ADLIB]\nNag, , Snd, {ENTER}\n", "unknown-command", 3, 8, E,
     "Error: Invalid command! (did you mean Send?)"},
    {"TailCommand", "IfEqual, x, 1, Slep, 10\n", "unknown-command", 1, 16, E, "did you mean Sleep?"},
    {"NulByte", std::string("Send, a\0b\n", 10), "nul-byte", 1, 1, E, "NUL byte"},
    // Warnings: what the runner would run, but surely not as meant.
    {"DroppedBackslash", "Run, C:\\Tools\\\\app.exe\n", "dropped-backslash", 1, 8, W,
     "the command receives \"C:Tools\\app.exe\""},
    {"TrailingBackslash", "Send, a\\\n", "dropped-backslash", 1, 8, W, "end of the line"},
    {"DuplicateLabel", "Start:\nSleep, 1\nstart:\n", "duplicate-label", 3, 1, W, "also on line 1"},
    {"LabelWithText", "Start:, x\n", "label-with-text", 1, 1, W, "can never be jumped to"},
    {"Unreachable", "Goto, End\nSend, never\nSend, nor this\nEnd:\n", "unreachable", 2, 1, W,
     "follows the Goto on line 1"},
    {"UnreachableAfterExit", "Exit\nSleep, 5\n", "unreachable", 2, 1, W, "follows the Exit"},
    {"EndRepeatBeforeRepeat", "Sleep, 1\nEndRepeat\nRepeat, 2\nEndRepeat\n", "unpaired-repeat", 2, 1,
     W, "no Repeat before it"},
    {"RepeatAlone", "Repeat, 3\nSend, x\n", "unpaired-repeat", 1, 1, W, "no EndRepeat"},
    {"UnknownKey", "Send, a{ENTR}b\n", "unknown-key", 1, 8, W, "Send knows no key {ENTR}"},
    {"UnclosedBrace", "Send, {ENTER\n", "unclosed-brace", 1, 7, W, "has no \"}\""},
    {"NotANumber", "Sleep, 1,000\n", "not-a-number", 1, 8, W, "the runner reads it as 1"},
    {"TimeoutNotANumber", "WinWait, T, , soon\n", "not-a-number", 1, 15, W, "reads it as 0"},
    {"DoesNothing", "LeftClick, 10\n", "does-nothing", 1, 1, W, "does nothing"},
    {"LongLine", "Send, " + std::string(1100, 'x') + "\n", "long-line", 1, 1024, W,
     "keeps only the first 1023"},
    // A UTF-8 key name types its first character; an ANSI script's bytes are escaped.
    {"UnknownKeyUtf8", "Send, \xC3\xBC{\xC3\xBCx}\n", "unknown-key", 1, 8, W,
     "Send knows no key {\xC3\xBCx}: it types \"\xC3\xBC\""},
    {"UnknownKeyAnsi", "Send, {\xFCx}\n", "unknown-key", 1, 7, W,
     "Send knows no key {\\xFCx}: it types \"\\xFC\""},
    // Lines that run as written but may do harm.
    {"ShutdownWithoutFlags", "Shutdown\n", "logs-off", 1, 1, W,
     "Shutdown with no flags logs the user off (flag 0): write 1 to shut down"},
    {"ShutdownWordFlags", "Shutdown, reboot\n", "logs-off", 1, 11, W,
     "Shutdown reads \"reboot\" as 0, which logs the user off"},
    {"LongSend", "Send, +{TAB 4999}{ENTER}\n", "long-send", 1, 7, W,
     "this Send sends 10002 key events and holds the runner until the last: at the default key "
     "delay of 20 ms that is 200 s"},
    {"LongKeyDelay", "SetKeyDelay, 60001\n", "long-key-delay", 1, 14, W,
     "a key delay of 60001 ms holds the runner"},
    {"WinCloseAnyWindow", "WinClose, ,\n", "any-window", 1, 1, W,
     "WinClose with an empty title and text acts on the first visible top-level window in Z "
     "order, which may be the taskbar; name the window"},
    {"WinKillInTail", "IfWinExist, Setup, , WinKill\n", "any-window", 1, 22, W,
     "WinKill with an empty title and text"},
};

std::string FindingName(const ::testing::TestParamInfo<Expected>& param) {
  return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Findings, CheckerFinding, ::testing::ValuesIn(kFindings), FindingName);

// Every runtime error whose condition the text alone decides: a line that
// stops the runner with the message, and the checker's error that quotes it.
struct RuntimeError {
  std::string message;  // the runner's message, word for word
  std::string script;   // a script whose run stops with it
};

void PrintTo(const RuntimeError& e, std::ostream* os) { *os << e.message; }

std::vector<RuntimeError> RuntimeErrors() {
  std::vector<RuntimeError> rows = {
      {"Error: Invalid command!", "WinWiat, x\n"},
      {"Error: Cannot find requested label!", "Goto, Nowhere\n"},
      {"Incorrectly formatted ENV string!", "Send, 50%\n"},
      {"Adlib: Invalid number of parameters!", "Sleep, 1\n[ADLIB]\nTitle, text\n"},
      {"IniRead: You must specify a section and value parameter!", "IniRead, v, f.ini, , Key\n"},
      {"IniWrite: You must specify a section and value parameter!", "IniWrite, 5, f.ini, Main,\n"},
      {"IniDelete: You must specify a section and value parameter!",
       "IniDelete, f.ini, \\t, Key\n"},
      {"Failed to run program!", "RunWait, , C:\\\\Temp\n"},
      {"Failed to run program!", "Run, tool.exe,  \n"},
      {"Return: Return with no matching Gosub!", "Sleep, 1\nReturn\n"},
      {"EndRepeat: EndRepeat with no matching Repeat!", "Sleep, 1\nEndRepeat\n"},
  };
  // Each missing-comma message of the table, on a line one comma short.
  for (int i = 0; i < script::CMD_COUNT; ++i) {
    const script::CommandInfo& info = *script::CommandAt(i);
    if (info.message == 0) continue;
    std::string line = info.spelling;
    for (int k = 1; k < info.required; ++k) line += ", 1";
    rows.push_back({info.message, line + "\n"});
  }
  return rows;
}

// All of the runner's sources, where its messages are written.
std::string RunnerSources() {
  std::string all;
  const char* folders[] = {"script", "commands", "windows", "input", "host"};
  for (size_t d = 0; d < sizeof folders / sizeof folders[0]; ++d) {
    std::string dir = std::string(KESTRO_SOURCE_DIR "/") + folders[d];
    DIR* listing = opendir(dir.c_str());
    if (!listing) continue;
    while (dirent* entry = readdir(listing)) {
      std::string name = entry->d_name;
      if (name.size() < 3 || (name.compare(name.size() - 2, 2, ".h") != 0 &&
                              name.compare(name.size() - 4, 4, ".cpp") != 0)) {
        continue;
      }
      std::ifstream in((dir + "/" + name).c_str(), std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      all += text.str();
    }
    closedir(listing);
  }
  return all;
}

class CheckerRuntimeError : public ::testing::TestWithParam<RuntimeError> {};

TEST_P(CheckerRuntimeError, IsAnErrorQuotingTheRunnersMessage) {
  const RuntimeError& e = GetParam();
  static const std::string sources = RunnerSources();
  EXPECT_NE(std::string::npos, sources.find("\"" + e.message + "\""))
      << "the runner no longer says this";
  std::vector<Diagnostic> found = Check(e.script);
  ASSERT_EQ(1u, found.size()) << checker::FormatText("t.kst", found);
  EXPECT_EQ(checker::kError, found[0].severity);
  EXPECT_EQ(0u, found[0].message.find(e.message)) << found[0].message;
}

INSTANTIATE_TEST_SUITE_P(Messages, CheckerRuntimeError, ::testing::ValuesIn(RuntimeErrors()));

// Scripts the runner runs as meant must not raise a word.
class CleanScript : public ::testing::TestWithParam<const char*> {};

TEST_P(CleanScript, HasNoFinding) {
  std::vector<Diagnostic> found = Check(GetParam());
  EXPECT_TRUE(found.empty()) << checker::FormatText("t.kst", found);
}

INSTANTIATE_TEST_SUITE_P(
    Checker, CleanScript,
    ::testing::Values(
        // References decide nothing the text cannot: keyword, label, number.
        "%cmd%, x\n", "Goto, %where%\n", "Sleep, %delay%\nWinWait, T, , %secs%\n",
        "%x%:\n",
        // Escapes that mean something, and a literal percent sign.
        "Send, a\\,b\\n\\t\\\\\\%\n", "FileAppend, 50\\% off\\n, out.txt\n",
        "Run, C:\\\\Tools\\\\app.exe\n",
        // Values never add commas: a reference cannot make a field go missing.
        "MsgBox, %flags%, %title%, %text%\n",
        // Key names in any case, counts, single characters and held modifiers.
        "Send, {enter}{TAB 3}{!}{+}{CTRLDOWN}c{CTRLUP}{ASC 065}^s!{F4}\n",
        // Labels, loops, subroutines and conditions that pair up.
        "Repeat, 2\nGosub, Sub\nEndRepeat\nExit\nSub:\nIfEqual, x, 1, Return\nReturn\n",
        "IfWinExist, Untitled - Notepad, , WinClose, Untitled - Notepad\n",
        "IfEqual, a, 1, IfEqual, b, 2, Goto, Done\nDone:\n",
        // A command named by a reference may be the Gosub a Return needs.
        "%call%, Sub\nExit\nSub:\nReturn\n",
        // Fields that must not be empty, but whose value only the run knows.
        "IniRead, v, f.ini, %section%, %key%\nIniDelete, f.ini, Main, %key%\nRun, %program%\n",
        // Optional fields, extents and a silent SetEnv with its comma.
        "WinMove, T, , 0, 0, default, 400\nSetEnv, empty,\nInputBox, v, t, p\n",
        // One character in braces, in a UTF-8 script any one character.
        "Send, {\xC3\xBC}{\xC3\xBC 3}{\xE6\x97\xA5}{\xF0\x9F\x98\x80 2}\n",
        // Dangerous only past their limits, or as the run decides.
        "Send, +{TAB 4990}{DOWN %n%}{ASC 065}{ENTER 4}\nSetKeyDelay, 60000\nShutdown, 0\n"
        "Shutdown, %how%\nWinClose, %title%\nWinKill, , some text\n",
        // Comments, blanks, a BOM, CR LF ends and an Adlib section.
        "\xEF\xBB\xBF; comment\r\n\r\n  Sleep, 1  \r\n[ADLIB] extra\r\nNag, , Send, {ENTER}\r\n"));

// The checker numbers and trims lines exactly as the loader stores them.
TEST(CheckerLines, AgreeWithTheLoader) {
  const std::string scripts[] = {
      "a\n\n  b  \n;c\n[adlib]\nd\n[ADLIB]\ne",
      "\t x \r\ny\rz\r\n",
      "only\n",
      "",
      // A UTF-8 line cut before the character that straddles 1023 bytes.
      "\xEF\xBB\xBFSend, \xC3\xBC\n" + std::string(1021, 'x') + "\xE6\x97\xA5\nlast",
  };
  for (size_t s = 0; s < sizeof scripts / sizeof scripts[0]; ++s) {
    std::string text = scripts[s];
    // What packing writes: CR LF and a lone CR become LF.
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        lf += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        lf += text[i];
      }
    }
    std::vector<unsigned char> container(1, '\n');
    container.insert(container.end(), script::kContainerMarker,
                     script::kContainerMarker + script::kContainerMarkerLen);
    const char kIgnored[] = "\nignored\n";
    container.insert(container.end(), kIgnored, kIgnored + strlen(kIgnored));
    size_t start = container.size();
    container.insert(container.end(), lf.begin(), lf.end());
    script::EncodeBytes(&container[start], container.size() - start);
    script::Sections sections;
    ASSERT_EQ(script::kLoadOk, script::LoadScript(&container[0], container.size(), &sections));

    std::vector<std::string> loaded, read;
    for (script::ScriptLine* l = sections.main.head; l; l = l->next)
      loaded.push_back("M" + std::to_string(l->number) + ":" + l->text);
    for (script::ScriptLine* l = sections.adlib.head; l; l = l->next)
      loaded.push_back("A" + std::to_string(l->number) + ":" + l->text);
    std::vector<checker::ScriptText> lines = checker::ReadScriptLines(text);
    for (size_t pass = 0; pass < 2; ++pass) {
      for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].stored || lines[i].adlib != (pass == 1)) continue;
        read.push_back(std::string(pass ? "A" : "M") + std::to_string(lines[i].number) + ":" +
                       lines[i].text);
      }
    }
    EXPECT_EQ(loaded, read) << "script " << s;
    script::FreeSection(&sections.main);
    script::FreeSection(&sections.adlib);
  }
}

// Plain edit distance, letter case aside: what the checker's bounded one must agree with.
size_t FullDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t> > d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t same = toupper(static_cast<unsigned char>(a[i - 1])) == toupper(static_cast<unsigned char>(b[j - 1]));
      d[i][j] = std::min(std::min(d[i - 1][j] + 1, d[i][j - 1] + 1), d[i - 1][j - 1] + (same ? 0 : 1));
    }
  }
  return d[a.size()][b.size()];
}

// The first keyword of the table at the least distance, when that distance is
// within a third of the word's letters and below its length.
std::string NearestByFullDistance(const std::string& word) {
  size_t allowed = std::max<size_t>(word.size() / 3, 1);
  std::string best;
  size_t best_distance = 0;
  for (int i = 0; i < script::CMD_COUNT; ++i) {
    size_t d = FullDistance(word, script::CommandKeyword(i));
    if (best.empty() || d < best_distance) {
      best = script::CommandSpelling(i);
      best_distance = d;
    }
  }
  return best_distance <= allowed && best_distance < word.size() ? best : std::string();
}

// Suggestions: the nearest keyword within a third of the word's letters, in
// any letter case, the table's first on a tie, spelt as scripts write it;
// nothing when all are further off.
TEST(CheckerSuggest, NearestKeywordWithinAThird) {
  EXPECT_EQ("SetKeyDelay", checker::NearestKeyword("SetAbcDelay"));     // tie with SetWinDelay at 3
  EXPECT_EQ("IfWinNotExist", checker::NearestKeyword("IfWinNotExst"));  // nearer than IfWinExist
  EXPECT_EQ("Sleep", checker::NearestKeyword("SLEEEP"));
  EXPECT_EQ("", checker::NearestKeyword("Frobnicate"));
  EXPECT_EQ("", checker::NearestKeyword("S"));
  EXPECT_EQ("", checker::NearestKeyword(""));
  EXPECT_EQ("", checker::NearestKeyword(std::string(5000, 'W')));
}

// Keywords with one or two letters changed, dropped or added (in mixed case)
// get the suggestion a full edit-distance table gives.
TEST(CheckerSuggest, AgreesWithTheFullDistance) {
  const char kLetters[] = "aEx";
  int compared = 0;
  for (int i = 0; i < script::CMD_COUNT; ++i) {
    std::string keyword = script::CommandKeyword(i);
    for (size_t c = 0; c < keyword.size(); c += 2) keyword[c] = static_cast<char>(tolower(keyword[c]));
    std::vector<std::string> once;
    for (size_t at = i % 2; at <= keyword.size(); at += 2) {
      for (size_t l = 0; l + 1 < sizeof kLetters; ++l) {
        once.push_back(keyword.substr(0, at) + kLetters[l] + keyword.substr(at));  // added
        if (at < keyword.size()) once.push_back(keyword.substr(0, at) + kLetters[l] + keyword.substr(at + 1));
      }
      if (at < keyword.size()) once.push_back(keyword.substr(0, at) + keyword.substr(at + 1));  // dropped
    }
    for (size_t w = 0; w < once.size(); ++w) {
      const std::string& word = once[w];
      ASSERT_EQ(NearestByFullDistance(word), checker::NearestKeyword(word)) << word;
      std::string twice = word.size() > 3 ? word.substr(0, word.size() / 2) + word.substr(word.size() / 2 + 1) : word;
      ASSERT_EQ(NearestByFullDistance(twice), checker::NearestKeyword(twice)) << twice;
      compared += 2;
    }
  }
  EXPECT_GT(compared, 4000);
}

// A UTF-8 script's columns count characters (an emoji is one); an ANSI
// script's count bytes, one a character of its code page.
TEST(CheckerColumns, CountCharactersInUtf8Scripts) {
  const struct {
    std::string script;
    int column;
  } cases[] = {
      {"Send, \xE6\x97\xA5\xE6\x9C\xAC\\q\n", 9},            // two Japanese characters
      {"Send, \xF0\x9F\x98\x80\\q\n", 8},                     // one emoji
      {"\xEF\xBB\xBF  Send, \xC3\xBC\\q\n", 10},              // the BOM is no column
      {"Send, \xDC\xFC\\q\n", 9},                               // ANSI: bytes
      {"Send, \xE6\x97\xA5\xDC\\q\n", 11},                     // invalid UTF-8, so ANSI
  };
  for (const auto& c : cases) {
    std::vector<Diagnostic> found = Check(c.script);
    ASSERT_EQ(1u, found.size()) << checker::FormatText("t.kst", found);
    EXPECT_EQ("dropped-backslash", found[0].code);
    EXPECT_EQ(c.column, found[0].column) << c.script;
    EXPECT_EQ(c.column + 2, found[0].end_column) << c.script;
  }
  // A long UTF-8 line: the runner keeps 1023 bytes of whole characters.
  std::string jp;
  for (int i = 0; i < 400; ++i) jp += "\xE6\x97\xA5";
  std::vector<Diagnostic> found = Check(";" + jp + "\n");
  ASSERT_EQ(1u, found.size());
  EXPECT_EQ("long-line", found[0].code);
  EXPECT_EQ(342, found[0].column);      // after ";" and 340 characters
  EXPECT_EQ(402, found[0].end_column);  // after all 401
  EXPECT_NE(std::string::npos, found[0].message.find("1201 bytes long")) << found[0].message;
  // The same mistake twice on a line: each finding at its own column, and
  // every message valid UTF-8 (an ANSI script's bytes escaped).
  const struct {
    std::string script;
    int first, second;
  } twice[] = {
      {"Send, {ENTR}{ENTR 3}\n", 7, 13},
      {"Send, \xE6\x97\xA5{\xC3\xBCx}{\xC3\xBCx 3}\n", 8, 12},
      {"Send, {\xFCx}{\xFCx 3}\n", 7, 11},
  };
  for (const auto& c : twice) {
    found = Check(c.script);
    ASSERT_EQ(2u, found.size()) << checker::FormatText("t.kst", found);
    EXPECT_EQ(c.first, found[0].column) << c.script;
    EXPECT_EQ(c.second, found[1].column) << c.script;
    std::string json = checker::FormatJsonItem("t.kst", found[1]) + checker::FormatText("t", found);
    EXPECT_TRUE(script::IsValidUtf8(json.data(), json.size())) << json;
  }
}

// The key events a Send line sends, as the long-send warning counts them:
// two a press, two more for each prefix, one for a held modifier, none for
// a negative count; a count from a reference is one press.
TEST(CheckerDangers, CountsKeyEventsAsSendSendsThem) {
  const struct {
    const char* keys;
    bool utf8;
    long long events;
  } rows[] = {
      {"Hello", false, 10},
      {"^+{TAB 3}x", false, 12},
      {"{SHIFTDOWN}ab{shiftup}#", false, 6},
      {"{ASC 0233}{DOWN -5}{DOWN 0}{DOWN x}", false, 14},
      {"{ENTER", false, 12},                       // no "}": typed as characters
      {"{DOWN \x01}", false, 2},                  // the count from a reference
      {"\xC3\xBC\xE6\x97\xA5{\xC3\xBC 3}", true, 10},  // characters, not bytes
      {"\xC3\xBC", false, 4},                     // ANSI: two characters
      {"{DOWN 2147483647}", false, 4294967294LL},
  };
  for (const auto& row : rows)
    EXPECT_EQ(row.events, checker::CountKeyEvents(row.keys, row.utf8)) << row.keys;
}

TEST(CheckerReport, TextAndJsonForms) {
  std::vector<Diagnostic> found = Check("Sleep 100\nSend, \"q\"\\q\n");
  ASSERT_EQ(2u, found.size());
  EXPECT_EQ(
      "s.kst:1:1: error: Error: Invalid command! (a comma is missing after \"Sleep\")\n"
      "s.kst:2:10: warning: \"\\q\" drops the backslash: the command receives \"\"q\"q\"; write "
      "\\\\ for a backslash\n",
      checker::FormatText("s.kst", found));
  EXPECT_EQ(
      "{\"file\": \"dir\\\\s.kst\", \"line\": 1, \"column\": 1, \"endColumn\": 10, \"severity\": "
      "\"error\", \"code\": \"missing-comma\", \"message\": \"Error: Invalid command! (a comma "
      "is missing after \\\"Sleep\\\")\"}",
      checker::FormatJsonItem("dir\\s.kst", found[0]));
  EXPECT_NE(std::string::npos, checker::FormatJsonItem("s.kst", found[0], "UTF-8")
                                   .find(", \"encoding\": \"UTF-8\"}"));
  EXPECT_EQ("1 error, 2 warnings in 3 files", checker::Summary(1, 2, 3));
}

// The repository's examples and end-to-end cases: a script meant to run
// cleanly checks without error; one meant to stop on an error only raises
// errors on the line whose error it expects.
std::vector<std::string> KstFiles(const std::string& dir) {
  std::vector<std::string> out;
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  while (dirent* entry = readdir(d)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string path = dir + "/" + name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".kst") == 0) {
      out.push_back(path);
    } else if (name.find('.') == std::string::npos) {
      std::vector<std::string> inner = KstFiles(path);
      out.insert(out.end(), inner.begin(), inner.end());
    }
  }
  closedir(d);
  return out;
}

TEST(CheckerScripts, RepositoryScriptsCheckAsTheyRun) {
  std::vector<std::string> files = KstFiles(KESTRO_SOURCE_DIR "/examples");
  std::vector<std::string> cases = KstFiles(KESTRO_SOURCE_DIR "/tests/e2e/cases");
  files.insert(files.end(), cases.begin(), cases.end());
  ASSERT_GT(files.size(), 50u);
  for (size_t f = 0; f < files.size(); ++f) {
    std::ifstream in(files[f].c_str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string script = text.str();
    std::vector<Diagnostic> found = Check(script);
    for (size_t i = 0; i < found.size(); ++i) {
      if (found[i].severity != checker::kError) continue;
      std::string expected = "; expect-error: Line " + std::to_string(found[i].line) + ": ";
      bool expected_here = script.find(expected) != std::string::npos ||
                           script.find("; expect-exit: 1") != std::string::npos;
      EXPECT_TRUE(expected_here) << files[f] << ":" << found[i].line << ": " << found[i].message;
    }
  }
}

}  // namespace
