// The Send key-language scanner: reads a Send text and types it on a Keyboard
// as single key-down and key-up events.
//
// The text is read one character at a time:
//   "!" "+" "^"   Alt, Shift, Ctrl around the next key only; "#" is ignored.
//   "{NAME}"      a named key; "{NAME n}" presses it n times. The text between
//                 the braces is read with the parameter splitter's rules and
//                 "}" as delimiter, then split at its first blank.
//   {CTRLDOWN} {CTRLUP} {ALTDOWN} {ALTUP} {SHIFTDOWN} {SHIFTUP}
//                 hold a modifier down until its up name (in this Send only).
//   "{ASC nnn}"   Alt down, the digits on the numeric keypad, Alt up.
//   anything else is typed as the character it is.
// Bad input is never an error: an unclosed "{" is typed as a character, an
// unknown name types its first character, a trailing prefix does nothing.
// Where the language leaves a choice open, the scanner sends nothing rather
// than guess: "{}" (no name), "{ASC}" without digits, a negative count. The
// keypad only has digits, so other characters of an ASC code are skipped.
// A character the layout cannot type is typed by its code as "{ASC 0nnn}" in
// an ANSI script, and as Unicode key events in a UTF-8 script.
#include "script/key_scan.h"

#include "script/limits.h"
#include "script/params.h"
#include "script/text.h"
#include "script/text_encoding.h"
#include "script/wide_text.h"

namespace script {

namespace {

// Modifier state of one Send: pending bits apply to the next key only, held
// bits stay until their up name.
const int kPendingAlt = 1;
const int kPendingShift = 2;
const int kPendingCtrl = 4;
const int kHeldAlt = 8;
const int kHeldShift = 16;
const int kHeldCtrl = 32;
const int kHeldMask = kHeldAlt | kHeldShift | kHeldCtrl;

// Layout shift-state bits (the high byte of the layout's answer).
const int kLayoutShift = 0x100;
const int kLayoutCtrl = 0x200;
const int kLayoutAlt = 0x400;

// Names that do something other than press a virtual key.
const int kCtrlDown = -1;
const int kCtrlUp = -2;
const int kAltDown = -3;
const int kAltUp = -4;
const int kShiftDown = -5;
const int kShiftUp = -6;
const int kAsc = -7;

struct KeyName {
  const char* name;
  int vk;  // virtual key, or one of the negative codes above
};

// The key-name table in its fixed order; the first match wins.
const KeyName kKeyNames[] = {
    {"ALT", 18},         {"BACKSPACE", 8},   {"BS", 8},           {"DEL", 46},
    {"DELETE", 46},      {"DOWN", 40},       {"END", 35},         {"ENTER", 13},
    {"ESC", 27},         {"ESCAPE", 27},     {"F1", 112},         {"F2", 113},
    {"F3", 114},         {"F4", 115},        {"F5", 116},         {"F6", 117},
    {"F7", 118},         {"F8", 119},        {"F9", 120},         {"F10", 121},
    {"F11", 122},        {"F12", 123},       {"HOME", 36},        {"INS", 45},
    {"INSERT", 45},      {"LEFT", 37},       {"PGDN", 34},        {"PGUP", 33},
    {"RIGHT", 39},       {"SPACE", 32},      {"TAB", 9},          {"UP", 38},
    {"PRINTSCREEN", 44}, {"LWIN", 91},       {"RWIN", 92},        {"SCROLLLOCK", 145},
    {"NUMLOCK", 144},    {"CTRLBREAK", 3},   {"PAUSE", 19},       {"CAPSLOCK", 20},
    {"NUMPAD0", 96},     {"NUMPAD1", 97},    {"NUMPAD2", 98},     {"NUMPAD3", 99},
    {"NUMPAD4", 100},    {"NUMPAD5", 101},   {"NUMPAD6", 102},    {"NUMPAD7", 103},
    {"NUMPAD8", 104},    {"NUMPAD9", 105},   {"NUMPADMULT", 106}, {"NUMPADADD", 107},
    {"NUMPADSUB", 109},  {"NUMPADDOT", 110}, {"NUMPADDIV", 111},  {"APPSKEY", 93},
    {"CTRLDOWN", kCtrlDown},   {"CTRLUP", kCtrlUp},   {"ALTDOWN", kAltDown},
    {"ALTUP", kAltUp},         {"SHIFTDOWN", kShiftDown}, {"SHIFTUP", kShiftUp},
    {"ASC", kAsc},
};
const int kKeyNameCount = sizeof(kKeyNames) / sizeof(kKeyNames[0]);

// One Send in progress: where it types, its modifier state, and whether the
// text is UTF-8 (else one byte is one character).
struct Scan {
  const Keyboard* kb;
  int state;
  bool utf8;
};

int ScanOfKey(const Scan& s, int vk) { return s.kb->scan_for_key(s.kb->context, vk) & 0xFF; }

void ModifierDown(const Scan& s, int vk) { KeyDown(*s.kb, vk, ScanOfKey(s, vk)); }
void ModifierUp(const Scan& s, int vk) { KeyUp(*s.kb, vk, ScanOfKey(s, vk)); }

// A pending modifier whose key is already held is dropped: the held key
// stays down and is neither pressed again nor released around the key.
void ApplyHeldRule(Scan* s) {
  if ((s->state & kPendingCtrl) && (s->state & kHeldCtrl)) s->state &= ~kPendingCtrl;
  if ((s->state & kPendingAlt) && (s->state & kHeldAlt)) s->state &= ~kPendingAlt;
  if ((s->state & kPendingShift) && (s->state & kHeldShift)) s->state &= ~kPendingShift;
}

// Where a press takes its scan code from.
enum ScanSource {
  kScanOfKey,       // the virtual key's
  kScanOfByte,      // the character's, ch being a byte of an ANSI text
  kScanOfCodePoint  // the character's, ch being a code point of a UTF-8 text
};

// Presses vk count times inside the pending modifiers. Modifiers go down in
// the order Ctrl, Alt, Shift and come up in that same order.
void PressInsideModifiers(Scan* s, int vk, ScanSource source, unsigned ch, int count) {
  ApplyHeldRule(s);
  if (s->state & kPendingCtrl) ModifierDown(*s, kVkControl);
  if (s->state & kPendingAlt) ModifierDown(*s, kVkAlt);
  if (s->state & kPendingShift) ModifierDown(*s, kVkShift);
  for (int i = 0; i < count; ++i) {
    void* context = s->kb->context;
    int scan = source == kScanOfKey    ? s->kb->scan_for_key(context, vk)
               : source == kScanOfByte ? s->kb->scan_for_char(context, static_cast<unsigned char>(ch))
                                       : s->kb->scan_for_code_point(context, ch);
    KeyPress(*s->kb, vk, scan & 0xFF);
  }
  if (s->state & kPendingCtrl) ModifierUp(*s, kVkControl);
  if (s->state & kPendingAlt) ModifierUp(*s, kVkAlt);
  if (s->state & kPendingShift) ModifierUp(*s, kVkShift);
}

// {CTRLDOWN}-style names: press the modifier unless its held bit is set.
void HoldDown(Scan* s, int held_bit, int vk) {
  if (s->state & held_bit) return;
  s->state |= held_bit;
  ModifierDown(*s, vk);
}

// {CTRLUP}-style names: release the modifier only if this Send holds it.
void HoldUp(Scan* s, int held_bit, int vk) {
  if (!(s->state & held_bit)) return;
  s->state &= ~held_bit;
  ModifierUp(*s, vk);
}

// Alt down (unless held), each digit of code on the numeric keypad, Alt up.
// An Alt held by {ALTDOWN} is released too: the code is only typed when Alt
// comes up. Characters other than digits have no keypad key and are skipped;
// a code without digits presses nothing and only releases a held Alt.
void TypeKeypadCode(Scan* s, const char* code) {
  bool has_digit = false;
  for (const char* p = code; *p != '\0'; ++p) has_digit = has_digit || (*p >= '0' && *p <= '9');
  if (has_digit) {
    HoldDown(s, kHeldAlt, kVkAlt);
    for (const char* p = code; *p != '\0'; ++p) {
      if (*p < '0' || *p > '9') continue;
      int vk = *p + 48;  // "0".."9" become the keypad keys 96..105
      KeyPress(*s->kb, vk, ScanOfKey(*s, vk));
    }
  }
  HoldUp(s, kHeldAlt, kVkAlt);
}

// Types a character count times. A character the layout has no key for is
// typed by its ANSI code on the keypad ("0" then the decimal code), since the
// layout's "no key" answer is not a key that could be pressed.
void SendChar(Scan* s, unsigned char c, int count) {
  int key = s->kb->key_for_char(s->kb->context, c);
  if ((key & 0xFF) == 0xFF) {
    char code[8];
    int n = 0;
    code[n++] = '0';
    if (c >= 100) code[n++] = static_cast<char>('0' + c / 100);
    if (c >= 10) code[n++] = static_cast<char>('0' + c / 10 % 10);
    code[n++] = static_cast<char>('0' + c % 10);
    code[n] = '\0';
    for (int i = 0; i < count; ++i) TypeKeypadCode(s, code);
    return;
  }
  if (key & kLayoutShift) s->state |= kPendingShift;
  if (key & kLayoutCtrl) s->state |= kPendingCtrl;
  if (key & kLayoutAlt) s->state |= kPendingAlt;
  PressInsideModifiers(s, key & 0xFF, kScanOfByte, c, count);
}

// One Unicode key event down and up for each UTF-16 unit of the character,
// count times. Pending modifiers play no part: the event carries the
// character itself, not a key they could change.
void SendUnits(Scan* s, unsigned cp, int count) {
  char16_t units[2];
  int n = SplitIntoUnits(cp, units);
  for (int i = 0; i < count; ++i) {
    for (int u = 0; u < n; ++u) {
      s->kb->emit_unit(s->kb->context, units[u], 0);
      s->kb->emit_unit(s->kb->context, units[u], kKeyUp);
    }
  }
}

// Types a character of a UTF-8 text count times: with its keys when the
// layout has them, as Unicode key events when not.
void SendCodePoint(Scan* s, unsigned cp, int count) {
  int key = s->kb->key_for_code_point(s->kb->context, cp);
  if ((key & 0xFF) == 0xFF) {
    SendUnits(s, cp, count);
    return;
  }
  if (key & kLayoutShift) s->state |= kPendingShift;
  if (key & kLayoutCtrl) s->state |= kPendingCtrl;
  if (key & kLayoutAlt) s->state |= kPendingAlt;
  PressInsideModifiers(s, key & 0xFF, kScanOfCodePoint, cp, count);
}

// Types the character that starts at text[0] count times and returns its
// length in bytes: one byte in an ANSI text (and for a byte of a UTF-8 text
// that starts no valid sequence, typed the ANSI way), else the sequence's.
int SendTextChar(Scan* s, const char* text, int count) {
  size_t length = 0;
  unsigned cp = 0;
  if (s->utf8) {
    size_t size = 0;  // a sequence is at most 4 bytes: no need to measure further
    while (size < 4 && text[size] != '\0') ++size;
    length = DecodeUtf8(text, size, 0, &cp);
  }
  if (length == 0) {
    SendChar(s, static_cast<unsigned char>(text[0]), count);
    return 1;
  }
  SendCodePoint(s, cp, count);
  return static_cast<int>(length);
}

const KeyName* FindKeyName(const char* name) {
  for (int i = 0; i < kKeyNameCount; ++i) {
    if (EqualsNoCase(kKeyNames[i].name, name)) return &kKeyNames[i];
  }
  return 0;
}

// Acts on the text between braces: a key name, then optionally a blank and
// a count (or the digits of an ASC code).
void SendBracedKey(Scan* s, const char* braced) {
  char name[kBufSize];
  char count_text[kBufSize];
  int cursor = 0;
  SplitField(' ', braced, &cursor, name);
  SplitField(0, braced, &cursor, count_text);
  int count = IntegerValue(count_text);
  if (count == 0) count = 1;

  const KeyName* key = FindKeyName(name);
  if (key == 0) {
    // An unknown name types its first character; "{}" has none and sends nothing.
    if (name[0] != '\0' && count > 0) SendTextChar(s, name, count);
    return;
  }
  switch (key->vk) {
    case kCtrlDown: HoldDown(s, kHeldCtrl, kVkControl); return;
    case kCtrlUp: HoldUp(s, kHeldCtrl, kVkControl); return;
    case kAltDown: HoldDown(s, kHeldAlt, kVkAlt); return;
    case kAltUp: HoldUp(s, kHeldAlt, kVkAlt); return;
    case kShiftDown: HoldDown(s, kHeldShift, kVkShift); return;
    case kShiftUp: HoldUp(s, kHeldShift, kVkShift); return;
    case kAsc: TypeKeypadCode(s, count_text); return;
  }
  // A negative count presses nothing, not even the modifiers around it.
  if (count > 0) PressInsideModifiers(s, key->vk, kScanOfKey, 0, count);
}

}  // namespace

bool IsExtendedKey(int vk) { return (vk >= 33 && vk <= 40) || vk == 45 || vk == 46; }

void KeyDown(const Keyboard& kb, int vk, int scan) {
  kb.emit(kb.context, vk, scan & 0xFF, IsExtendedKey(vk) ? kKeyExtended : 0);
}

void KeyUp(const Keyboard& kb, int vk, int scan) {
  kb.emit(kb.context, vk, scan & 0xFF, kKeyUp | (IsExtendedKey(vk) ? kKeyExtended : 0));
}

void KeyPress(const Keyboard& kb, int vk, int scan) {
  KeyDown(kb, vk, scan);
  KeyUp(kb, vk, scan);
}

int KeyNameCount() { return kKeyNameCount; }

const char* KeyNameAt(int index) {
  return index >= 0 && index < kKeyNameCount ? kKeyNames[index].name : 0;
}

int KeyNameVk(int index) { return index >= 0 && index < kKeyNameCount ? kKeyNames[index].vk : -1; }

bool IsKeyName(const char* name) { return FindKeyName(name) != 0; }

int FindClosingBrace(const char* text, int pos) {
  bool escaped = false;
  for (int i = pos; text[i] != '\0'; ++i) {
    char c = text[i];
    if (c == '\\') {
      escaped = !escaped;
    } else if (c == '}' && !escaped) {
      return i;
    } else {
      escaped = false;
    }
  }
  return -1;
}

namespace {

void ScanText(const Keyboard& kb, const char* text, bool utf8) {
  Scan s;
  s.kb = &kb;
  s.state = 0;
  s.utf8 = utf8;
  int pos = 0;
  while (text[pos] != '\0') {
    char c = text[pos++];
    switch (c) {
      case '!': s.state |= kPendingAlt; continue;
      case '+': s.state |= kPendingShift; continue;
      case '^': s.state |= kPendingCtrl; continue;
      case '#': continue;
    }
    if (c == '{' && FindClosingBrace(text, pos) >= 0) {
      char braced[kBufSize];
      SplitField('}', text, &pos, braced);  // leaves pos after the "}"
      SendBracedKey(&s, braced);
    } else {
      // An unclosed "{" is typed as it stands and scanning goes on after it.
      pos += SendTextChar(&s, text + pos - 1, 1) - 1;
    }
    s.state &= kHeldMask;
  }
}

}  // namespace

void SendKeys(const Keyboard& kb, const char* text) { ScanText(kb, text, false); }

void SendUtf8Keys(const Keyboard& kb, const char* text) { ScanText(kb, text, true); }

}  // namespace script
