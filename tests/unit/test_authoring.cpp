// Tests of the authoring tools' portable parts: the escaping of the lines the
// spy copies (read back by the runner's own splitter and expansion), the JSON
// writer, the spy's command line and its reports.
#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

#include "authoring/json.h"
#include "authoring/rec_args.h"
#include "authoring/script_line.h"
#include "authoring/spy_args.h"
#include "authoring/spy_facts.h"
#include "script/limits.h"
#include "script/params.h"
#include "tests/unit/fake_platform.h"

namespace {

// Reads a line back as the runner does: variables expanded, then the fields
// after the command split at commas, the last one up to the end of the line.
std::vector<std::string> ReadBack(const std::string& line, int fields) {
  fake::Platform platform;
  platform.SetEnv("A", "expanded");
  char buf[script::kBufSize];
  memset(buf, 0, sizeof(buf));
  strncpy(buf, line.c_str(), script::kBufSize - 1);
  EXPECT_TRUE(script::ExpandVariables(platform.services(), buf));
  std::vector<std::string> out;
  int cursor = static_cast<int>(line.find(',')) + 1;
  for (int i = 0; i < fields; ++i) {
    char field[script::kBufSize];
    script::SplitField(i + 1 < fields ? ',' : '\0', buf, &cursor, field);
    out.push_back(field);
  }
  return out;
}

TEST(ScriptLineTest, EscapedFieldsReadBackExactly) {
  const char* texts[] = {"Untitled - Notepad", "a, b",  "C:\\Temp\\x", "50%",  "%A%", "\\%A%\\",
                         "two\nlines\ttab\r",  "end\\", ",",           "\\\\,"};
  for (size_t i = 0; i < sizeof(texts) / sizeof(texts[0]); ++i) {
    std::vector<std::string> back = ReadBack(authoring::WinWaitLine(texts[i], texts[i]), 2);
    EXPECT_EQ(texts[i], back[0]) << authoring::WinWaitLine(texts[i], texts[i]);
    EXPECT_EQ(texts[i], back[1]);
    // WinActivate takes the title up to the first comma, the rest as its text.
    back = ReadBack(authoring::WinActivateLine(texts[i]), 2);
    EXPECT_EQ(texts[i], back[0]);
    EXPECT_EQ("", back[1]);
  }
  EXPECT_EQ("WinWait, A\\, B", authoring::WinWaitLine("A, B", ""));
  EXPECT_EQ("LeftClick, -5, 40", authoring::PointLine("LeftClick", -5, 40));
}

TEST(JsonWriterTest, NestsWithCommasAndEscapes) {
  authoring::JsonWriter json;
  json.BeginObject();
  json.Key("a");
  json.BeginArray();
  json.Int(-1);
  json.Bool(true);
  json.Null();
  json.BeginObject();
  json.EndObject();
  json.EndArray();
  json.Key("s");
  json.String("q\"b\\\n\x01\xc3\xa9");
  json.EndObject();
  EXPECT_EQ("{\"a\":[-1,true,null,{}],\"s\":\"q\\\"b\\\\\\n\\u0001\xc3\xa9\"}", json.text());
}

authoring::SpyArgs Parse(std::vector<const char*> argv, bool expect_ok = true) {
  authoring::SpyArgs args;
  std::string error;
  EXPECT_EQ(expect_ok,
            authoring::ParseSpyArgs(static_cast<int>(argv.size()), argv.data(), &args, &error))
      << error;
  return args;
}

TEST(SpyArgsTest, ReadsEachActionAndRejectsMistakes) {
  authoring::SpyArgs a = Parse({});
  EXPECT_EQ(authoring::kSpyLive, a.action);
  a = Parse({"--at", "-3,40", "--out", "x.json", "--hidden"});
  EXPECT_EQ(authoring::kSpyAt, a.action);
  EXPECT_EQ(-3, a.x);
  EXPECT_EQ(40, a.y);
  EXPECT_EQ("x.json", a.out);
  EXPECT_TRUE(a.hidden);
  a = Parse({"--match", "Save As", "--mode", "2", "File name:"});
  EXPECT_EQ(authoring::kSpyMatch, a.action);
  EXPECT_EQ("Save As", a.title);
  EXPECT_EQ("File name:", a.text);
  EXPECT_EQ(2, a.mode);
  a = Parse({"--pos", "10,20", "--pointer", "30,40"});
  EXPECT_TRUE(a.has_pos && a.has_pointer);
  EXPECT_EQ(30, a.pointer_x);
  // The spellings people type: "=value", --help and -h, "--" before a title
  // that starts with a dash.
  a = Parse({"--match=Save, As", "--mode=2", "--", "-x"});
  EXPECT_EQ("Save, As", a.title);
  EXPECT_EQ("-x", a.text);
  EXPECT_EQ(2, a.mode);
  EXPECT_TRUE(Parse({"--help"}).help && Parse({"-h"}).help && !a.help);
  Parse({"--at", "1"}, false);
  Parse({"--at", "1,2,3"}, false);
  Parse({"--at", "1,2", "--match", "x"}, false);
  Parse({"--match", "x", "y", "z"}, false);
  Parse({"--mode", "3"}, false);
  Parse({"--out"}, false);
  Parse({"--frobnicate"}, false);
  Parse({"--hidden=yes"}, false);
  std::string error;
  const char* typo[] = {"--hiden"};
  EXPECT_FALSE(authoring::ParseSpyArgs(1, typo, &a, &error));
  EXPECT_EQ("unknown option --hiden; did you mean --hidden?", error);

  // The recorder's command line reads the same way.
  authoring::RecArgs r;
  const char* rec[] = {"--out=a b.kst", "--wait", "0", "--pause=500", "--pos", "-5,7"};
  ASSERT_TRUE(authoring::ParseRecArgs(6, rec, &r, &error)) << error;
  EXPECT_EQ("a b.kst", r.out);
  EXPECT_EQ(0, r.wait_s);
  EXPECT_EQ(500, r.pause_ms);
  EXPECT_EQ(-5, r.x);
  EXPECT_FALSE(r.help || r.skip_injected);
  const char* defaults[] = {"-h"};
  ASSERT_TRUE(authoring::ParseRecArgs(1, defaults, &r, &error));
  EXPECT_TRUE(r.help);
  EXPECT_EQ(10, r.wait_s);
  EXPECT_EQ("recording.kst", r.out);
  const char* wrong[][2] = {
      {"--wait", "-1"}, {"--seconds", "x"}, {"--skip-injectd", ""}, {"--pos", "1"}, {"stray", ""}};
  for (const auto& w : wrong) EXPECT_FALSE(authoring::ParseRecArgs(w[1][0] ? 2 : 1, w, &r, &error));
  EXPECT_EQ("unexpected argument stray", error);
}

authoring::PointFacts Facts() {
  authoring::PointFacts f = authoring::PointFacts();
  f.has_window = true;
  f.title = "Report, 100%";
  f.class_name = "KestroTarget";
  f.has_control = true;
  f.control_text = "Secret";
  authoring::TextSeen shown = {"Shown", true, "", authoring::kUnknown};
  authoring::TextSeen secret = {"Secret", false, "", authoring::kUnknown};
  f.texts.push_back(shown);
  f.texts.push_back(secret);
  f.rel_x = 12;
  f.rel_y = -4;
  return f;
}

TEST(SpyFactsTest, CopyLinesNameOnlyTextsTheMatcherWouldTest) {
  authoring::PointFacts f = Facts();
  EXPECT_EQ("WinWait, Report\\, 100\\%\r\nWinActivate, Report\\, 100\\%\r\nLeftClick, 12, -4\r\n",
            authoring::CopyLines(f, false));
  EXPECT_EQ("WinWait, Report\\, 100\\%, Secret",
            authoring::WinWaitLine(authoring::LineTitle(f), authoring::WaitText(f, true)));
  // A text of many lines is named by its first line, which the text test still finds.
  f.control_text = f.texts[1].text = "first line\r\nsecond";
  EXPECT_EQ("first line", authoring::WaitText(f, true));
  f.title = std::string(500, 't');
  EXPECT_EQ(200u, authoring::LineTitle(f).size());
  // A long UTF-8 title (日 is three bytes) is cut before the character that
  // would be split: 66 whole ones, 198 bytes.
  f.title.clear();
  for (int i = 0; i < 100; ++i) f.title += "\xE6\x97\xA5";
  EXPECT_EQ(f.title.substr(0, 198), authoring::LineTitle(f));
}

// The proposed wait prefers text that stays (a button, a label) over text
// that changes (an edit's content, a status bar), takes an accessible name
// only when no control holds it and then says the setting is needed, and
// says when all it found is likely to change.
TEST(SpyFactsTest, ProposalPrefersTextThatStays) {
  using authoring::TextSeen;
  EXPECT_EQ(authoring::kStays, authoring::ClassStability("BUTTON"));
  EXPECT_EQ(authoring::kChanges, authoring::ClassStability("RichEdit20W"));
  EXPECT_EQ(authoring::kChanges, authoring::RoleStability(0x2B, true));  // a value
  EXPECT_EQ("push button", authoring::RoleName(0x2B));
  EXPECT_EQ("role 99", authoring::RoleName(99));
  authoring::PointFacts f = Facts();
  f.texts.clear();
  f.control_text = "Ln 1, Col 1";
  TextSeen status = {"Ln 1, Col 1", true, "msctls_statusbar32", authoring::kChanges};
  TextSeen edit = {"draft", true, "Edit", authoring::kChanges};
  f.texts.push_back(status);
  f.texts.push_back(edit);
  authoring::Proposal p = authoring::ProposeWait(f, false);
  EXPECT_EQ("Ln 1, Col 1", p.text);
  EXPECT_TRUE(p.only_changing);
  f.has_control = false;
  p = authoring::ProposeWait(f, false);
  EXPECT_EQ("", p.text);
  EXPECT_TRUE(p.only_changing);
  TextSeen held = {"draft", true, "text value", authoring::kChanges};
  TextSeen button = {"Save changes", true, "push button", authoring::kStays};
  f.accessible.push_back(held);
  f.accessible.push_back(button);
  p = authoring::ProposeWait(f, false);
  EXPECT_EQ("Save changes", p.text);
  EXPECT_TRUE(p.needs_accessible && !p.only_changing);
  EXPECT_EQ(std::vector<std::string>(1, "Save changes"), authoring::OnlyAccessible(f, false));
  EXPECT_EQ("DetectAccessibleText, On\r\nWinWait, Report\\, 100\\%, Save changes\r\n"
            "WinActivate, Report\\, 100\\%\r\nLeftClick, 12, -4\r\n",
            authoring::CopyLines(f, false));
  EXPECT_NE(std::string::npos, authoring::PointJson(f, false).find(
      "{\"text\":\"Save changes\",\"visible\":true,\"kind\":\"push button\",\"only_accessible\":true}"));
  TextSeen label = {"Total", true, "Static", authoring::kStays};
  f.texts.push_back(label);
  p = authoring::ProposeWait(f, false);
  EXPECT_EQ("Total", p.text);
  EXPECT_FALSE(p.needs_accessible || p.only_changing);
}

TEST(SpyFactsTest, MatchReportLeavesUntestedTextsNull) {
  authoring::MatchFacts m;
  m.title = "Spy";
  m.text = "x";
  m.mode = 1;
  m.hidden = false;
  authoring::WindowVerdict other = {"Other", "C", {0, 0, 1, 1}, false, false, false};
  authoring::WindowVerdict spy = {"Spy 1", "C", {0, 0, 1, 1}, true, true, true};
  m.windows.push_back(other);
  m.windows.push_back(spy);
  m.matched = true;
  std::string json = authoring::MatchJson(m);
  EXPECT_NE(std::string::npos,
            json.find("\"title\":\"Other\",\"class\":\"C\",\"rect\":{\"left\":0,"
                      "\"top\":0,\"right\":1,\"bottom\":1},\"title_passes\":false,"
                      "\"text_passes\":null}"))
      << json;
  EXPECT_NE(std::string::npos, json.find("\"match\":\"Spy 1\"}")) << json;
  m.matched = false;
  EXPECT_NE(std::string::npos, authoring::MatchJson(m).find("\"match\":null}"));
  EXPECT_EQ("2 windows examined; no window matches", authoring::MatchSummary(m));
}

}  // namespace
