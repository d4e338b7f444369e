// Tests of kestro-rec's translation: recorded key events become Send lines
// that, read back by the runner's own splitter and Send scanner on a US
// layout (as a UTF-8 script's, which the recorder writes), press the same
// keys again; clicks, window changes and pauses become their lines.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "authoring/recording.h"
#include "script/key_scan.h"
#include "script/limits.h"
#include "script/params.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/us_layout.h"

namespace {

using authoring::RecordedEvent;

const int kShift = 16;
const int kCtrl = 17;
const int kAlt = 18;
const int kPacket = 231;  // a Unicode key event

// The test layout leaves some characters without a key (Send would type them
// by their code); here they get a shifted key among the unnamed virtual keys
// 0x80 to 0x8F, so that every character is one key press.
int AnyKeyForChar(void* context, unsigned char c) {
  int key = test_layout::UsKeyForChar(context, c);
  return (key & 0xFF) == 0xFF ? 0x180 | (c & 0x0F) : key;
}

// The same, asked by code point: the characters beyond ASCII have no key.
int AnyKeyForCodePoint(void* context, unsigned cp) {
  return cp < 0x80 ? AnyKeyForChar(context, static_cast<unsigned char>(cp)) : 0xFFFF;
}

// The events a user makes typing on that layout, built up one key at a time.
class Typist {
 public:
  Typist() : time_(0) {}

  void Down(int vk, unsigned ch = 0, unsigned base = 0) {
    events_.push_back(RecordedEvent::Key(RecordedEvent::kKeyDown, Tick(), vk, ch, base));
  }
  void Up(int vk) { events_.push_back(RecordedEvent::Key(RecordedEvent::kKeyUp, Tick(), vk)); }
  void Press(int vk, unsigned ch = 0, unsigned base = 0) {
    Down(vk, ch, base);
    Up(vk);
  }
  // A character, with Shift around it when the layout needs it.
  void Char(unsigned char c) {
    int key = AnyKeyForChar(0, c);
    bool shift = (key & 0x100) != 0;
    if (shift) Down(kShift);
    Press(key & 0xFF, c, BaseOf(key & 0xFF));
    if (shift) Up(kShift);
  }
  void Text(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) Char(static_cast<unsigned char>(*p));
  }
  // A UTF-16 unit sent as a Unicode key event, as Send and on-screen keyboards send them.
  void Unit(unsigned unit) { Press(kPacket, unit); }
  void Wait(unsigned long ms) { time_ += ms; }
  void Add(const RecordedEvent& e) { events_.push_back(e); }
  unsigned long Now() const { return time_; }

  std::string Script(int pause_ms = 1000, int wait_s = 10) const {
    authoring::RecordingOptions options;
    options.pause_ms = pause_ms;
    options.wait_timeout_s = wait_s;
    return authoring::ScriptFromEvents(events_, options);
  }

  // The key events as the key-event log writes them: "+vk" and "-vk", and
  // "+231:unit" for a Unicode key event.
  std::string Keys() const {
    std::string out;
    for (size_t i = 0; i < events_.size(); ++i) {
      const RecordedEvent& e = events_[i];
      if (e.kind != RecordedEvent::kKeyDown && e.kind != RecordedEvent::kKeyUp) continue;
      char event[16];
      sprintf(event, "%s%c%d", out.empty() ? "" : " ", e.kind == RecordedEvent::kKeyUp ? '-' : '+',
              e.vk);
      out += event;
      if (e.vk == kPacket) {
        // The hook's up carries the unit too; the Typist's does not.
        sprintf(event, ":%u", e.kind == RecordedEvent::kKeyUp ? events_[i - 1].ch : e.ch);
        out += event;
      }
    }
    return out;
  }

  static unsigned char BaseOf(int vk) {
    for (int c = 32; c < 127; ++c) {
      if (test_layout::UsKeyForChar(0, static_cast<unsigned char>(c)) == vk) {
        return static_cast<unsigned char>(c);
      }
    }
    return 0;
  }

 private:
  unsigned long Tick() { return time_ += 30; }
  unsigned long time_;
  std::vector<RecordedEvent> events_;
};

void Record(void* context, int vk, int /*scan*/, int flags) {
  std::string* out = static_cast<std::string*>(context);
  char event[16];
  sprintf(event, "%s%c%d", out->empty() ? "" : " ", (flags & script::kKeyUp) ? '-' : '+', vk);
  *out += event;
}

void RecordUnit(void* context, unsigned unit, int flags) {
  std::string* out = static_cast<std::string*>(context);
  char event[32];
  sprintf(event, "%s%c%d:%u", out->empty() ? "" : " ", (flags & script::kKeyUp) ? '-' : '+',
          kPacket, unit);
  *out += event;
}

// Replays the Send lines of a script as the runner reads them: the line's
// variables expanded, its text split off, then scanned as UTF-8 on the US
// layout.
std::string Replay(const std::string& script) {
  fake::Platform platform;
  std::string keys;
  script::Keyboard kb = {&keys,  AnyKeyForChar,      test_layout::UsScanForKey,
                         test_layout::UsScanForChar,  Record,
                         AnyKeyForCodePoint, test_layout::UsScanForCodePoint, RecordUnit};
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    std::string line = script.substr(start, end - start);
    start = end + 1;
    if (line.compare(0, 6, "Send, ") != 0) continue;
    char buf[script::kBufSize];
    memset(buf, 0, sizeof(buf));
    strncpy(buf, line.c_str(), script::kBufSize - 1);
    EXPECT_TRUE(script::ExpandVariables(platform.services(), buf)) << line;
    int cursor = 5;
    char text[script::kBufSize];
    script::SplitField('\0', buf, &cursor, text);
    script::SendUtf8Keys(kb, text);
  }
  return keys;
}

TEST(RecordingTest, TypedTextReplaysAsTheSameKeys) {
  // Every printable character, the language's own characters and the
  // splitter's escapes among them, and blanks at both ends of the line.
  std::string all;
  for (int c = 32; c < 127; ++c) all += static_cast<char>(c);
  const char* texts[] = {"Hello, World!", " a+b^c#d{e}f ", "C:\\Temp\\50% done, %A%", "{ENTER}",
                         "\\{TAB}", "  ", all.c_str()};
  for (size_t i = 0; i < sizeof(texts) / sizeof(texts[0]); ++i) {
    Typist t;
    t.Text(texts[i]);
    std::string script = t.Script();
    EXPECT_EQ(t.Keys(), Replay(script)) << script;
  }
  Typist t;
  t.Text("a!+^#{}\\%, b");
  EXPECT_EQ("; Recorded by kestro-rec\nSend, a{!}{+}{^}{#}{{}{}}\\\\\\%, b\n", t.Script());
  Typist blanks;
  blanks.Text(" x ");
  EXPECT_EQ("; Recorded by kestro-rec\nSend, {SPACE}x{SPACE}\n", blanks.Script());
}

TEST(RecordingTest, NamedKeysChordsAndCounts) {
  Typist t;
  t.Text("ab");
  for (int i = 0; i < 3; ++i) t.Press(8, 8, 8);  // Backspace types a control character
  t.Down(kCtrl);
  t.Press('S', 19, 's');  // Ctrl+S: the layout gives a control code, the base an "s"
  t.Down(kShift);
  t.Press(9, '\t', '\t');
  t.Press(9, '\t', '\t');
  t.Up(kShift);
  t.Up(kCtrl);
  t.Down(kShift);
  t.Press(9, '\t', '\t');
  t.Up(kShift);
  t.Down(164);  // the left Alt, as the hook names it
  t.Press(115);
  t.Up(164);
  t.Press(46);
  t.Press(96, '0', '0');  // the keypad keeps its own keys
  t.Press(13, '\r', '\r');
  t.Text("x");
  EXPECT_EQ(
      "; Recorded by kestro-rec\n"
      "Send, ab{BS 3}^s^+{TAB 2}+{TAB}!{F4}{DEL}{NUMPAD0}{ENTER}\n"
      "Send, x\n",
      t.Script());

  // The same key with a modifier released and pressed again in between is
  // pressed inside its own modifiers each time.
  Typist again;
  for (int i = 0; i < 2; ++i) {
    again.Down(kCtrl);
    again.Press(9);
    again.Up(kCtrl);
  }
  EXPECT_EQ("; Recorded by kestro-rec\nSend, ^{TAB}^{TAB}\n", again.Script());
  EXPECT_EQ(again.Keys(), Replay(again.Script()));
}

#define NOT_RECORDED "; kestro-rec: a key here could not be recorded as text "

TEST(RecordingTest, KeysThatWriteNothingAndKeysThatCannotBeRecorded) {
  Typist t;
  t.Down(kCtrl);  // lone modifiers
  t.Up(kCtrl);
  t.Down(kAlt);
  t.Up(kAlt);
  t.Press(20);  // Caps Lock: the characters carry their case
  t.Up('Q');    // an up without its down
  EXPECT_EQ("; Recorded by kestro-rec\n", t.Script());
  // Keys that reach the window but give the recorder no text (a dead key,
  // an input method's key) leave a comment where they came, once for a run.
  t.Text("a");
  t.Press(255);  // neither a name nor a character
  t.Press(255);
  t.Text("b");
  t.Press(0xC0, 27);  // a control character without a name
  t.Down(kCtrl);
  t.Press(0x80);  // a chord with a key that has neither
  t.Up(kCtrl);
  EXPECT_EQ("; Recorded by kestro-rec\nSend, a\n" NOT_RECORDED
            "(virtual key 255)\nSend, b\n" NOT_RECORDED "(virtual key 192)\n" NOT_RECORDED
            "(virtual key 128)\n",
            t.Script());
}

TEST(RecordingTest, LongTextIsSplitIntoLines) {
  Typist t;
  std::string text(450, 'a');
  text += "!";
  t.Text(text.c_str());
  std::string script = t.Script();
  size_t lines = 0, at = 0;
  while ((at = script.find('\n', at)) != std::string::npos) {
    ++lines;
    ++at;
  }
  EXPECT_EQ(4u, lines) << script;  // the comment and three Send lines
  EXPECT_EQ(t.Keys(), Replay(script));
}

TEST(RecordingTest, ClicksWindowsAndPauses) {
  Typist t;
  t.Add(RecordedEvent::Activate(t.Now(), "Untitled - Notepad, 50%"));
  t.Wait(6500);  // the user's own start: no Sleep before the first key
  t.Text("hi");
  t.Add(RecordedEvent::Click(RecordedEvent::kLeftClick, t.Now() + 10, 300, 200, 100, 50));
  t.Add(RecordedEvent::Activate(t.Now() + 20, "Untitled - Notepad, 50%"));  // no change
  t.Wait(2470);
  t.Add(RecordedEvent::Click(RecordedEvent::kRightClick, t.Now(), 90, 40, 100, 50));
  t.Add(RecordedEvent::Activate(t.Now(), ""));  // no title to wait for
  t.Add(RecordedEvent::Activate(t.Now(), "C:\\dir"));
  t.Text("x");
  t.Wait(970);  // with the key's own 30 ms exactly the threshold: no pause
  t.Text("y");
  EXPECT_EQ(
      "; Recorded by kestro-rec\n"
      "WinWaitActive, Untitled - Notepad\\, 50\\%, , 10\n"
      "Send, hi\n"
      "LeftClick, 200, 150\n"
      "Sleep, 2500\n"
      "RightClick, -10, -10\n"
      "WinWaitActive, C:\\\\dir, , 10\n"
      "Send, xy\n",
      t.Script());
  // Without a threshold no Sleep is written; without a timeout the waits have none.
  EXPECT_EQ(std::string::npos, t.Script(0).find("Sleep"));
  EXPECT_NE(std::string::npos, t.Script(1000, 0).find("WinWaitActive, C:\\\\dir\nSend"));
}

TEST(RecordingTest, UnicodeCharactersAndTitles) {
  // Characters sent as Unicode key events (ü ß 日 and 😀 as its two
  // surrogates) are written as they are and replay as the same events.
  Typist t;
  t.Add(RecordedEvent::Activate(t.Now(), "\xC3\x9C" "bersicht \xE2\x80\x93 \xE6\x97\xA5, 5%"));
  t.Text("a");
  const unsigned units[] = {0xFC, 0xDF, 0x65E5, 0xD83D, 0xDE00};
  for (size_t i = 0; i < sizeof(units) / sizeof(units[0]); ++i) t.Unit(units[i]);
  t.Text("!");
  EXPECT_EQ(
      "; Recorded by kestro-rec\n"
      "WinWaitActive, \xC3\x9C" "bersicht \xE2\x80\x93 \xE6\x97\xA5\\, 5\\%, , 10\n"
      "Send, a\xC3\xBC\xC3\x9F\xE6\x97\xA5\xF0\x9F\x98\x80{!}\n",
      t.Script());
  EXPECT_EQ(t.Keys(), Replay(t.Script()));
  // Its file starts with the byte order mark; an ASCII script's file does not,
  // so that it runs on the 95 family too.
  EXPECT_EQ("\xEF\xBB\xBF" + t.Script(), authoring::ScriptFileBytes(t.Script()));
  EXPECT_EQ("Send, b{!}\n", authoring::ScriptFileBytes("Send, b{!}\n"));

  // A surrogate without its partner and a control character leave a comment;
  // the modifiers held around a Unicode event do not apply to it. A key
  // whose character is beyond U+FFFF gives it whole.
  Typist odd;
  odd.Unit(0xDE00);
  odd.Unit(0xD83D);
  odd.Text("b");
  odd.Unit(0x07);
  odd.Down(kCtrl);
  odd.Unit(0xE9);
  odd.Up(kCtrl);
  odd.Press(0x81, 0x1F600);
  odd.Unit(0xD83D);
  EXPECT_EQ("; Recorded by kestro-rec\n" NOT_RECORDED "(a lone low surrogate)\n" NOT_RECORDED
            "(a lone high surrogate)\nSend, b\n" NOT_RECORDED
            "(a control character)\nSend, \xC3\xA9\xF0\x9F\x98\x80\n" NOT_RECORDED
            "(a lone high surrogate)\n",
            odd.Script());

  // A long title is named by its start, cut before a character: 日 is three
  // bytes, so 66 of them (198 bytes) fit the 200.
  std::string title;
  for (int i = 0; i < 100; ++i) title += "\xE6\x97\xA5";
  Typist longer;
  longer.Add(RecordedEvent::Activate(0, title));
  EXPECT_EQ("; Recorded by kestro-rec\nWinWaitActive, " + title.substr(0, 198) + ", , 10\n",
            longer.Script());
}

}  // namespace
