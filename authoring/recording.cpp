// From recorded events to script lines.
#include "authoring/recording.h"

#include <stdio.h>
#include <string.h>

#include "authoring/script_line.h"
#include "script/coords.h"
#include "script/key_scan.h"
#include "script/text_encoding.h"
#include "script/wide_text.h"

namespace authoring {

namespace {

// A Send line is ended before it grows past this many characters, far below
// the runner's line buffer.
const size_t kSendLineLimit = 200;

// A WinWaitActive line names at most this many bytes of a title, cut before
// a character: the title test matches by the start, and the line stays far
// below the runner's line buffer however long the title.
const size_t kTitleLimit = 200;

const int kVkEnter = 13;
const int kVkSpace = 32;
const int kVkCapsLock = 20;
const int kVkPacket = 231;  // a Unicode key event: a character without a key

bool IsShift(int vk) { return vk == 16 || vk == 160 || vk == 161; }
bool IsCtrl(int vk) { return vk == 17 || vk == 162 || vk == 163; }
bool IsAlt(int vk) { return vk == 18 || vk == 164 || vk == 165; }

// One piece of a Send line: a prefix and either a named key with its count
// or the text of one character.
struct Token {
  std::string prefix;
  const char* name;  // null for a character
  int count;
  std::string text;  // a character's Send text

  std::string Render() const {
    if (name == 0) return prefix + text;
    std::string out = prefix + "{" + name;
    if (count > 1) {
      char number[16];
      sprintf(number, " %d", count);
      out += number;
    }
    return out + "}";
  }
};

class Writer {
 public:
  explicit Writer(const RecordingOptions& options)
      : options_(options), shift_(false), ctrl_(false), alt_(false), mods_changed_(true),
        high_surrogate_(0), have_time_(false), last_time_(0), acted_(false), have_title_(false) {
    out_ = "; Recorded by kestro-rec\n";
  }

  void Add(const RecordedEvent& e) {
    // The wait before the first key or click is the user's own start, not
    // part of what is replayed.
    if (have_time_ && acted_ && options_.pause_ms > 0 &&
        e.time - last_time_ > static_cast<unsigned long>(options_.pause_ms)) {
      FlushSend();
      char line[48];
      sprintf(line, "Sleep, %lu\n", (e.time - last_time_ + 50) / 100 * 100);
      out_ += line;
      note_.clear();
    }
    have_time_ = true;
    last_time_ = e.time;
    switch (e.kind) {
      case RecordedEvent::kKeyDown: KeyDown(e); break;
      case RecordedEvent::kKeyUp: KeyUp(e.vk); break;
      case RecordedEvent::kLeftClick:
      case RecordedEvent::kRightClick: Click(e); break;
      case RecordedEvent::kActivate: Activate(e.title); break;
    }
  }

  std::string Finish() {
    if (high_surrogate_ != 0) Unrecordable("a lone high surrogate");
    FlushSend();
    return out_;
  }

 private:
  void KeyDown(const RecordedEvent& e) {
    unsigned high = high_surrogate_;
    high_surrogate_ = 0;  // a low surrogate must follow its high one at once
    if (high != 0 && !(e.vk == kVkPacket && script::IsLowSurrogate(e.ch))) {
      Unrecordable("a lone high surrogate");
    }
    if (e.vk == kVkPacket) {
      UnicodeChar(e.ch, high);
      return;
    }
    if (SetModifier(e.vk, true)) return;
    if (e.vk == kVkCapsLock) return;  // the characters typed already carry their case
    const char* name = SendKeyName(e.vk);
    Token t;
    t.name = 0;
    t.count = 1;
    if (ctrl_ || alt_) {
      // A chord: the prefixes, then the key's name or its unshifted character.
      if (ctrl_) t.prefix += "^";
      if (alt_) t.prefix += "!";
      if (shift_) t.prefix += "+";
      if (name != 0) {
        t.name = name;
      } else if (e.base != 0) {
        t.text = SendCharText(e.base);
      } else {
        return Unrecordable(KeyWhat(e.vk));
      }
    } else if (e.vk == kVkSpace || (name == 0 && e.ch != 0)) {
      // a control character without a name
      if (e.ch < 32 || e.ch == 127) return Unrecordable(KeyWhat(e.vk));
      t.text = SendCharText(e.ch);
    } else if (name != 0) {
      if (shift_) t.prefix = "+";
      t.name = name;
    } else {
      // Neither a name nor a character: a dead key, an input method's key,
      // a key whose character came too late for the hook...
      return Unrecordable(KeyWhat(e.vk));
    }
    Append(t);
    if (e.vk == kVkEnter) FlushSend();
  }

  // A character sent as a Unicode key event is written as it stands, without
  // the modifiers of the moment: Send sends it the same way, without them.
  void UnicodeChar(unsigned unit, unsigned high) {
    if (script::IsHighSurrogate(unit)) {
      high_surrogate_ = unit;
      return;
    }
    unsigned cp = unit;
    if (script::IsLowSurrogate(unit)) {
      if (high == 0) return Unrecordable("a lone low surrogate");
      cp = script::JoinSurrogates(high, unit);
    }
    if (cp < 32 || cp == 127) return Unrecordable("a control character");
    Token t;
    t.name = 0;
    t.count = 1;
    t.text = SendCharText(cp);
    Append(t);
  }

  void KeyUp(int vk) { SetModifier(vk, false); }

  static std::string KeyWhat(int vk) {
    char what[32];
    sprintf(what, "virtual key %d", vk);
    return what;
  }

  // A key reached the window but cannot be written as Send text: a comment
  // says so where it happened, once for a run of the same key.
  void Unrecordable(const std::string& what) {
    std::string note = "; kestro-rec: a key here could not be recorded as text (" + what + ")\n";
    acted_ = true;
    if (note == note_) return;
    FlushSend();
    out_ += note;
    note_ = note;
  }

  // Follows the modifiers; true when vk is one.
  bool SetModifier(int vk, bool down) {
    bool* flag = IsShift(vk) ? &shift_ : IsCtrl(vk) ? &ctrl_ : IsAlt(vk) ? &alt_ : 0;
    if (flag == 0) return false;
    if (*flag != down) mods_changed_ = true;
    *flag = down;
    return true;
  }

  void Append(const Token& t) {
    // The same named key again, with no modifier pressed or released in
    // between, counts up: {BS 3}.
    if (t.name != 0 && !line_.empty() && !mods_changed_) {
      Token& last = line_.back();
      if (last.name != 0 && strcmp(last.name, t.name) == 0 && last.prefix == t.prefix) {
        ++last.count;
        return;
      }
    }
    mods_changed_ = false;
    acted_ = true;
    note_.clear();
    size_t length = 0;
    for (size_t i = 0; i < line_.size(); ++i) length += line_[i].Render().size();
    if (length + t.Render().size() > kSendLineLimit) FlushSend();
    line_.push_back(t);
  }

  void FlushSend() {
    if (line_.empty()) return;
    // Send does not type blanks at the start and end of its text.
    if (line_.front().name == 0 && line_.front().text == " ") line_.front().text = "{SPACE}";
    if (line_.back().name == 0 && line_.back().text == " ") line_.back().text = "{SPACE}";
    std::string line = "Send, ";
    for (size_t i = 0; i < line_.size(); ++i) line += line_[i].Render();
    out_ += line + "\n";
    line_.clear();
    mods_changed_ = true;
  }

  void Click(const RecordedEvent& e) {
    FlushSend();
    acted_ = true;
    note_.clear();
    script::Point cursor = {e.x, e.y};
    script::Point origin = {e.origin_x, e.origin_y};
    script::Point at = script::ScreenToScript(cursor, origin);
    const char* command = e.kind == RecordedEvent::kLeftClick ? "LeftClick" : "RightClick";
    out_ += PointLine(command, at.x, at.y) + "\n";
  }

  void Activate(const std::string& title) {
    if (have_title_ && title == title_) return;
    have_title_ = true;
    title_ = title;
    if (title.empty()) return;  // nothing to wait for by name
    FlushSend();
    size_t end = script::Utf8CutLength(title.data(), title.size(), kTitleLimit);
    std::string line = "WinWaitActive, " + EscapeField(title.substr(0, end));
    if (options_.wait_timeout_s > 0) {
      // A wait that times out goes on to the next line, as a script run
      // unattended should.
      char timeout[32];
      sprintf(timeout, ", , %d", options_.wait_timeout_s);
      line += timeout;
    }
    out_ += line + "\n";
    note_.clear();
  }

  RecordingOptions options_;
  std::string out_;
  std::vector<Token> line_;
  bool shift_, ctrl_, alt_;
  bool mods_changed_;  // a modifier went down or up since the last token
  unsigned high_surrogate_;  // the high surrogate of a Unicode event just before, or 0
  bool have_time_;
  unsigned long last_time_;
  bool acted_;        // a key or click has been recorded: later pauses are Sleeps
  std::string note_;  // the comment just written, until something else is
  bool have_title_;
  std::string title_;
};

}  // namespace

RecordedEvent RecordedEvent::Key(Kind kind, unsigned long time, int vk, unsigned ch,
                                 unsigned base) {
  RecordedEvent e = RecordedEvent();
  e.kind = kind;
  e.time = time;
  e.vk = vk;
  e.ch = ch;
  e.base = base;
  return e;
}

RecordedEvent RecordedEvent::Click(Kind kind, unsigned long time, int x, int y, int origin_x,
                                   int origin_y) {
  RecordedEvent e = RecordedEvent();
  e.kind = kind;
  e.time = time;
  e.x = x;
  e.y = y;
  e.origin_x = origin_x;
  e.origin_y = origin_y;
  return e;
}

RecordedEvent RecordedEvent::Activate(unsigned long time, const std::string& title) {
  RecordedEvent e = RecordedEvent();
  e.kind = kActivate;
  e.time = time;
  e.title = title;
  return e;
}

std::string Utf8Of(unsigned cp) {
  char bytes[4];
  return std::string(bytes, script::EncodeUtf8(cp, bytes));
}

std::string ScriptFileBytes(const std::string& script) {
  for (size_t i = 0; i < script.size(); ++i) {
    if (static_cast<unsigned char>(script[i]) >= 0x80) return script::kUtf8Bom + script;
  }
  return script;
}

std::string SendCharText(unsigned cp) {
  switch (cp) {
    case '!': return "{!}";
    case '+': return "{+}";
    case '^': return "{^}";
    case '#': return "{#}";
    case '{': return "{{}";
    case '}': return "{}}";
    case '\\': return "\\\\";
    case '%': return "\\%";
  }
  return Utf8Of(cp);
}

const char* SendKeyName(int vk) {
  const char* best = 0;
  for (int i = 0; i < script::KeyNameCount(); ++i) {
    if (script::KeyNameVk(i) != vk || vk <= 0) continue;
    const char* name = script::KeyNameAt(i);
    if (best == 0 || strlen(name) < strlen(best)) best = name;
  }
  return best;
}

std::string ScriptFromEvents(const std::vector<RecordedEvent>& events,
                             const RecordingOptions& options) {
  Writer writer(options);
  for (size_t i = 0; i < events.size(); ++i) writer.Add(events[i]);
  return writer.Finish();
}

}  // namespace authoring
