// The Send key language: turns a Send text into single key-down and key-up
// events, asking a keyboard layout for characters and handing each event on.
#ifndef KESTRO_SCRIPT_KEY_SCAN_H
#define KESTRO_SCRIPT_KEY_SCAN_H

namespace script {

// Event flags, with the values the platform's keyboard-event call takes.
const int kKeyExtended = 1;  // the key sits in the extended block (arrows, Ins, Del, ...)
const int kKeyUp = 2;        // the key goes up; without it the key goes down

// Virtual keys of the modifiers the language presses.
const int kVkShift = 16;
const int kVkControl = 17;
const int kVkAlt = 18;

// The keyboard the scanner types on: layout queries and the event sink. The
// Win32 side answers from the active layout and calls the keyboard-event
// service; the tests answer from a fixed US layout and record.
struct Keyboard {
  void* context;  // handed back to every function below
  // The key that types a character: low byte the virtual key, high byte the
  // shift state (1 Shift, 2 Ctrl, 4 Alt); low byte 0xFF when none can.
  int (*key_for_char)(void* context, unsigned char c);
  // The scan code of a virtual key (only the low byte is used).
  int (*scan_for_key)(void* context, int vk);
  // The scan code of a typed character (only the low byte is used).
  int (*scan_for_char)(void* context, unsigned char c);
  // One key event; the sink sleeps the key delay after it.
  void (*emit)(void* context, int vk, int scan, int flags);
  // UTF-8 scripts ask by code point instead: the key that types it, answered
  // as key_for_char answers (low byte 0xFF when the layout has none), and the
  // scan code of the typed character.
  int (*key_for_code_point)(void* context, unsigned cp);
  int (*scan_for_code_point)(void* context, unsigned cp);
  // One Unicode key event carrying a UTF-16 unit instead of a key, flags 0 or
  // kKeyUp; the sink sleeps the key delay after it.
  void (*emit_unit)(void* context, unsigned unit, int flags);
};

// True for the ten keys that carry the extended flag: 33 to 40, 45 and 46.
bool IsExtendedKey(int vk);

// One key-down, one key-up, or both, of a virtual key with the given scan code;
// the extended flag follows the virtual key.
void KeyDown(const Keyboard& kb, int vk, int scan);
void KeyUp(const Keyboard& kb, int vk, int scan);
void KeyPress(const Keyboard& kb, int vk, int scan);

// Types a Send text (already read with the parameter splitter) on kb. An
// ANSI script's text is read a byte at a time, each byte one character.
void SendKeys(const Keyboard& kb, const char* text);

// Types a UTF-8 script's Send text: the same language, read one character
// (code point) at a time. A character the layout can type is typed with its
// keys; any other is sent as Unicode key events, a down and an up for each
// UTF-16 unit (two for a character beyond U+FFFF), without the pending
// modifiers. A byte that starts no valid sequence is typed as SendKeys types it.
void SendUtf8Keys(const Keyboard& kb, const char* text);

// The number of names in the key-name table (63).
int KeyNameCount();

// The key name at a position of the table (upper case), or null past its end.
const char* KeyNameAt(int index);

// The virtual key of the name at a position of the table, or a negative
// number for the names that do something else (CTRLDOWN ..., ASC) and past
// the table's end.
int KeyNameVk(int index);

// True when Send knows the name, compared without regard to letter case.
bool IsKeyName(const char* name);

// The position of the "}" that closes a brace opened just before pos, read
// with the splitter's escapes (a backslash escapes the next character), or -1
// when none does: Send then types the "{" as a character.
int FindClosingBrace(const char* text, int pos);

}  // namespace script

#endif
