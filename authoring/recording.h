// kestro-rec's translation: the keystrokes, clicks and window changes it
// records, in order, become the lines of a script that does the same again.
#ifndef KESTRO_AUTHORING_RECORDING_H
#define KESTRO_AUTHORING_RECORDING_H

#include <string>
#include <vector>

namespace authoring {

struct RecordedEvent {
  enum Kind {
    kKeyDown,     // a key went down (auto-repeat gives several downs)
    kKeyUp,       // a key came up
    kLeftClick,   // the left button went down
    kRightClick,  // the right button went down
    kActivate     // another window became the foreground window
  };
  Kind kind;
  unsigned long time;  // milliseconds, from any fixed start
  int vk;              // keys: the virtual key (16/160/161 Shift, 17/162/163 Ctrl, 18/164/165 Alt)
  // Key downs: the character (Unicode code point) the key types with the
  // Shift (and Caps Lock) state of the moment, and the one it types without
  // either; 0 for none. A Unicode key event (vk 231, VK_PACKET: a character
  // sent without a key) carries its UTF-16 unit in ch; a character beyond
  // U+FFFF comes as two such events, its high and its low surrogate.
  unsigned ch;
  unsigned base;
  int x, y;                // clicks: the pointer in screen pixels
  int origin_x, origin_y;  // clicks: the foreground window's outer top-left corner
  std::string title;       // kActivate: the new foreground window's title

  static RecordedEvent Key(Kind kind, unsigned long time, int vk, unsigned ch = 0,
                           unsigned base = 0);
  static RecordedEvent Click(Kind kind, unsigned long time, int x, int y, int origin_x,
                             int origin_y);
  static RecordedEvent Activate(unsigned long time, const std::string& title);
};

struct RecordingOptions {
  // A gap between two events longer than this becomes a Sleep of the gap
  // (rounded to 100 ms); 0 or less writes no Sleep at all. The time before
  // the first key or click is never one.
  int pause_ms;
  // The timeout in seconds of each WinWaitActive line; 0 or less writes none.
  int wait_timeout_s;
  RecordingOptions() : pause_ms(1000), wait_timeout_s(10) {}
};

// The script in UTF-8 (titles are given in UTF-8 too), one line per "\n",
// starting with a comment line. Keys become Send lines (a new line after each
// Enter and before a line grows long), clicks LeftClick/RightClick lines
// relative to the foreground window, and a new foreground window a
// WinWaitActive line with its title (at most its first 200 bytes, cut
// before a character) and the timeout. Unicode key events become their
// characters. Lone modifier presses, key ups and Caps Lock write nothing;
// a key that neither has a name nor types a character, a control character
// and a surrogate without its partner write a comment line saying that a key
// could not be recorded there. ScriptFileBytes gives the bytes of its file.
std::string ScriptFromEvents(const std::vector<RecordedEvent>& events,
                             const RecordingOptions& options);

// A typed character (a code point) as Send text in UTF-8: "!+^#{}" in
// braces, a backslash and a percent sign with the parameter escape ("\\",
// "\%").
std::string SendCharText(unsigned cp);

// A code point in UTF-8; nothing for a surrogate or a value beyond U+10FFFF.
std::string Utf8Of(unsigned cp);

// The bytes of the recorded script's file: a script of ASCII characters only
// as it stands, so that it runs on every Windows (the runner reads it as an
// ANSI script, as the 95 family must); any other behind the UTF-8 byte order
// mark, so that the runner and every editor read it as UTF-8.
std::string ScriptFileBytes(const std::string& script);

// The shortest Send name of a virtual key ("BS" rather than "BACKSPACE"),
// or null when the key has none.
const char* SendKeyName(int vk);

}  // namespace authoring

#endif
