// Tests of the loader: which lines it stores, in which section, under which number.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "script/container.h"
#include "script/loader.h"

namespace {

typedef std::vector<unsigned char> Bytes;
typedef std::vector<std::pair<int, std::string> > Lines;

// A fake executable carrying `script`, encoded as one run from position 0.
Bytes Packed(const std::string& script, const std::string& ignored = "kestro-script 1") {
  std::string head = "MZ runner image\n" +
                     std::string(script::kContainerMarker, script::kContainerMarkerLen) + "\n" +
                     ignored + "\n";
  Bytes data(head.begin(), head.end());
  size_t start = data.size();
  data.insert(data.end(), script.begin(), script.end());
  if (!script.empty()) script::EncodeBytes(&data[start], script.size());
  return data;
}

Lines Collect(const script::Section& section) {
  Lines lines;
  for (const script::ScriptLine* l = section.head; l; l = l->next)
    lines.push_back(std::make_pair(l->number, std::string(l->text)));
  return lines;
}

// Loads `data` and returns both sections, freeing them again.
struct Loaded {
  script::LoadResult result;
  Lines main, adlib;
  bool utf8;
};

Loaded LoadBytes(const Bytes& data) {
  script::Sections s;
  memset(&s, 0, sizeof s);
  Loaded out;
  out.result = script::LoadScript(data.empty() ? NULL : &data[0], data.size(), &s);
  out.main = Collect(s.main);
  out.adlib = Collect(s.adlib);
  out.utf8 = s.utf8;
  script::FreeSection(&s.main);
  script::FreeSection(&s.adlib);
  EXPECT_TRUE(s.main.head == NULL && s.main.tail == NULL);
  return out;
}

Loaded Load(const std::string& script) { return LoadBytes(Packed(script)); }

Lines L(int n, const std::string& t) { return Lines(1, std::make_pair(n, t)); }

Lines L(int n1, const std::string& t1, int n2, const std::string& t2) {
  Lines l = L(n1, t1);
  l.push_back(std::make_pair(n2, t2));
  return l;
}

TEST(Loader, ContainerWithoutLinesIsNoFailure) {
  EXPECT_EQ(script::kLoadNoContainer, LoadBytes(Bytes()).result);
  std::string m(script::kContainerMarker, script::kContainerMarkerLen);
  const std::string bare[] = {m + "\nignored\n", "MZ\n" + m + "\n"};
  for (size_t i = 0; i < 2; ++i) {
    Loaded loaded = LoadBytes(Bytes(bare[i].begin(), bare[i].end()));
    EXPECT_EQ(script::kLoadOk, loaded.result) << i;
    EXPECT_TRUE(loaded.main.empty() && loaded.adlib.empty()) << i;
  }
}

TEST(Loader, IgnoredLineIsSkippedAndUncounted) {
  Loaded loaded = LoadBytes(Packed("MsgBox, one\n", "MsgBox, never"));
  EXPECT_EQ(L(1, "MsgBox, one"), loaded.main);
  // However long the ignored line is, the script starts after its line feed.
  loaded = LoadBytes(Packed("Sleep, 1\n", std::string(9000, 'i')));
  EXPECT_EQ(L(1, "Sleep, 1"), loaded.main);
}

TEST(Loader, BlankAndCommentLinesKeepTheirNumbers) {
  Loaded loaded = Load("\n   \n\t\n; comment\n  ; indented comment\n  Sleep, 10\t\nx ; not a comment\n");
  EXPECT_EQ(L(6, "Sleep, 10", 7, "x ; not a comment"), loaded.main);
  EXPECT_TRUE(loaded.adlib.empty());
}

TEST(Loader, LastLineWithoutLineFeedAndCarriageReturnsStay) {
  EXPECT_EQ(L(1, "a", 2, "last"), Load("a\nlast").main);
  EXPECT_EQ(L(1, "a\r", 2, "b \r"), Load("a\r\n  b \r\n").main);
}

TEST(Loader, AdlibMarkerVariants) {
  Loaded loaded = Load("Main1\n[adlib]\nAd1\n");
  EXPECT_EQ(L(1, "Main1"), loaded.main);
  EXPECT_EQ(L(3, "Ad1"), loaded.adlib);

  loaded = Load("Main1\n  [ADLIB] extra words\n\n; c\nAd1\n[AdLib]\nAd2\n");
  EXPECT_EQ(L(1, "Main1"), loaded.main);
  EXPECT_EQ(L(5, "Ad1", 7, "Ad2"), loaded.adlib);  // second marker consumed, still counted

  loaded = Load("Main1\nMain2\n[ADLIB]\n");  // empty Adlib section
  EXPECT_EQ(L(1, "Main1", 2, "Main2"), loaded.main);
  EXPECT_TRUE(loaded.adlib.empty());

  loaded = Load("[ADLIB]\nAd1");  // empty main section
  EXPECT_TRUE(loaded.main.empty());
  EXPECT_EQ(L(2, "Ad1"), loaded.adlib);

  loaded = Load("[ADLI]\nx[ADLIB]\n");  // neither is a marker
  EXPECT_EQ(L(1, "[ADLI]", 2, "x[ADLIB]"), loaded.main);
}

TEST(Loader, NulByteEndsTheLineText) {
  Loaded loaded = Load(std::string("  Send, ab\0cd\nnext\n", 19));
  EXPECT_EQ(L(1, "Send, ab", 2, "next"), loaded.main);
  loaded = Load(std::string("\0Sleep\nnext\n", 12));  // nothing left: not stored, still counted
  EXPECT_EQ(L(2, "next"), loaded.main);
}

TEST(Loader, LongLinesAreCutButNeverSplit) {
  std::string long_line = "Send, " + std::string(1994, 'k');  // 2000 characters
  Loaded loaded = Load("a\n" + long_line + "\nb\n");
  ASSERT_EQ(3u, loaded.main.size());
  EXPECT_EQ(long_line.substr(0, 1023), loaded.main[1].second);
  EXPECT_EQ(std::make_pair(3, std::string("b")), loaded.main[2]);

  // Far past any line buffer: the tail is dropped, not read as further lines.
  std::string huge = "Send, " + std::string(20000, 'z') + "\n[ADLIB]\n";
  loaded = Load("a\n" + huge + "c\n");
  ASSERT_EQ(2u, loaded.main.size());
  EXPECT_EQ(1023u, loaded.main[1].second.size());
  EXPECT_TRUE(loaded.adlib == L(4, "c"));

  // Trailing blanks beyond the kept part do not matter; those inside it are trimmed.
  loaded = Load(std::string(1020, 'x') + "      y\n");
  ASSERT_EQ(1u, loaded.main.size());
  EXPECT_EQ(std::string(1020, 'x'), loaded.main[0].second);
}

// The kind is decided on the whole script; a byte order mark is not part of
// line 1; a UTF-8 line is cut before a character the 1023-byte limit splits.
TEST(Loader, DecidesTheEncodingAndCutsUtf8LinesAtCharacters) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string jp = "\xE6\x97\xA5";                      // three bytes
  const std::string pad = "Send, " + std::string(1015, 'a');  // 1021 bytes
  struct Case {
    const char* name;
    std::string script;
    bool utf8;
    Lines main;
  };
  const Case cases[] = {
      {"ASCII", "Send, x\n", false, L(1, "Send, x")},
      {"BOM, ASCII", bom + "Send, x\n;c\nExit", true, L(1, "Send, x", 3, "Exit")},
      {"BOM before a blank", bom + "  \nExit\n", true, L(2, "Exit")},
      {"BOM only", bom, true, Lines()},
      {"a BOM later is text", "a\n" + bom + "b", true, L(1, "a", 2, bom + "b")},
      {"UTF-8 in the Adlib section", "x\n[ADLIB]\n" + jp, true, L(1, "x")},
      {"Latin-1", "WinWait, \xDC" "bersicht", false, L(1, "WinWait, \xDC" "bersicht")},
      {"UTF-8 cut", pad + jp + "\n", true, L(1, pad)},
      {"ANSI cut", pad + jp + "\xDC", false, L(1, pad + jp.substr(0, 2))},
      {"UTF-8 fits", pad.substr(1) + jp + "b", true, L(1, pad.substr(1) + jp)},
  };
  for (const Case& c : cases) {
    Loaded loaded = Load(c.script);
    EXPECT_EQ(script::kLoadOk, loaded.result) << c.name;
    EXPECT_EQ(c.utf8, loaded.utf8) << c.name;
    EXPECT_EQ(c.main, loaded.main) << c.name;
  }
}

TEST(Loader, AppendLineSkipsBlankAndCommentTexts) {
  script::Section s = {NULL, NULL};
  EXPECT_TRUE(script::AppendLine(&s, 1, ""));
  EXPECT_TRUE(script::AppendLine(&s, 2, ";x"));
  EXPECT_TRUE(s.head == NULL);
  char text[] = "Sleep, 5";
  EXPECT_TRUE(script::AppendLine(&s, 3, text));
  text[0] = 'X';  // the line holds its own copy
  EXPECT_EQ(L(3, "Sleep, 5"), Collect(s));
  script::FreeSection(&s);
  EXPECT_TRUE(s.head == NULL && s.tail == NULL);
}

}  // namespace
