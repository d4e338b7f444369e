// Tests of the Send key-language scanner on a fixed US keyboard layout: the
// exact key events each text produces.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

#include "script/key_scan.h"
#include "tests/unit/us_layout.h"

namespace {

using test_layout::UsKeyForChar;
using test_layout::UsKeyForCodePoint;
using test_layout::UsScanForChar;
using test_layout::UsScanForCodePoint;
using test_layout::UsScanForKey;

// Events are written "+vk:scan" (down) or "-vk:scan" (up), with "x" after
// an extended key, and joined by blanks.
void Record(void* context, int vk, int scan, int flags) {
  std::string* out = static_cast<std::string*>(context);
  char event[32];
  snprintf(event, sizeof(event), "%s%c%d:%d%s", out->empty() ? "" : " ",
           (flags & script::kKeyUp) ? '-' : '+', vk, scan,
           (flags & script::kKeyExtended) ? "x" : "");
  *out += event;
}

// Unicode key events are written "+uXXXX" (down) or "-uXXXX" (up).
void RecordUnit(void* context, unsigned unit, int flags) {
  std::string* out = static_cast<std::string*>(context);
  char event[32];
  snprintf(event, sizeof(event), "%s%cu%04X", out->empty() ? "" : " ",
           (flags & script::kKeyUp) ? '-' : '+', unit);
  *out += event;
}

script::Keyboard UsKeyboard(std::string* out) {
  script::Keyboard kb = {out,   UsKeyForChar,      UsScanForKey,       UsScanForChar,
                         Record, UsKeyForCodePoint, UsScanForCodePoint, RecordUnit};
  return kb;
}

std::string Keys(const char* text) {
  std::string out;
  script::SendKeys(UsKeyboard(&out), text);
  return out;
}

// The same text as a UTF-8 script's Send reads it.
std::string Utf8Keys(const char* text) {
  std::string out;
  script::SendUtf8Keys(UsKeyboard(&out), text);
  return out;
}

// Shorthands for the modifier events.
const std::string kShiftDown = "+16:16";
const std::string kShiftUp = "-16:16";
const std::string kCtrlDown = "+17:17";
const std::string kCtrlUp = "-17:17";
const std::string kAltDown = "+18:18";
const std::string kAltUp = "-18:18";

TEST(KeyScanTest, CharactersTakeTheirKeyAndShiftFromTheLayout) {
  // 12 events: only "H" needs Shift, and each character carries its own scan code.
  EXPECT_EQ(kShiftDown + " +72:72 -72:72 " + kShiftUp +
                " +69:101 -69:101 +76:108 -76:108 +76:108 -76:108 +79:111 -79:111",
            Keys("Hello"));
  EXPECT_EQ(kShiftDown + " +65:97 -65:97 " + kShiftUp + " +66:98 -66:98 +67:99 -67:99",
            Keys("+abc"));
  // The comma and the blank are typed like any other character.
  EXPECT_EQ("+65:97 -65:97 +188:44 -188:44 +32:32 -32:32 +66:98 -66:98", Keys("a, b"));
  // A layout answer with Ctrl in it presses Ctrl.
  EXPECT_EQ(kCtrlDown + " +13:10 -13:10 " + kCtrlUp, Keys("\n"));
  EXPECT_EQ("", Keys(""));
}

TEST(KeyScanTest, PrefixesPressModifiersInCtrlAltShiftOrderAroundOneKey) {
  EXPECT_EQ(kCtrlDown + " " + kAltDown + " +46:46x -46:46x " + kCtrlUp + " " + kAltUp,
            Keys("^!{DEL}"));
  EXPECT_EQ(kCtrlDown + " " + kAltDown + " " + kShiftDown + " +65:97 -65:97 " + kCtrlUp + " " +
                kAltUp + " " + kShiftUp,
            Keys("+!^a"));
  // Repeated prefixes add nothing; "#" is consumed without effect.
  EXPECT_EQ(kCtrlDown + " +65:97 -65:97 " + kCtrlUp, Keys("^^a"));
  EXPECT_EQ("+65:97 -65:97", Keys("#a"));
  // A trailing prefix is dropped.
  EXPECT_EQ("+65:97 -65:97 +66:98 -66:98 +67:99 -67:99", Keys("abc+"));
}

TEST(KeyScanTest, NamedKeysWithCountsAndTheExtendedRule) {
  std::string tab = "+9:9 -9:9";
  EXPECT_EQ(tab + " " + tab + " " + tab, Keys("{TAB 3}"));
  EXPECT_EQ(tab, Keys("{TAB 0}"));
  EXPECT_EQ(tab, Keys("{TAB x}"));
  EXPECT_EQ(tab, Keys("{tab}"));
  EXPECT_EQ(tab, Keys("{ TAB }"));  // the name is trimmed inside the braces
  EXPECT_EQ("+38:38x -38:38x +36:36x -36:36x +13:13 -13:13 +112:112 -112:112",
            Keys("{up}{Home}{ENTER}{F1}"));
  EXPECT_EQ("+123:123 -123:123 +111:111 -111:111 +3:3 -3:3", Keys("{F12}{NUMPADDIV}{CTRLBREAK}"));
  // The extended flag goes by virtual key alone, typed keys included.
  for (int vk = 0; vk < 256; ++vk) {
    bool expected = (vk >= 33 && vk <= 40) || vk == 45 || vk == 46;
    EXPECT_EQ(expected, script::IsExtendedKey(vk)) << vk;
  }
  EXPECT_EQ(63, script::KeyNameCount());
}

TEST(KeyScanTest, UnknownNamesAndBracesTypeCharacters) {
  EXPECT_EQ("+88:120 -88:120 +88:120 -88:120 +88:120 -88:120 +88:120 -88:120", Keys("{xyz 4}"));
  EXPECT_EQ(kShiftDown + " +49:33 -49:33 " + kShiftUp, Keys("{!}"));
  EXPECT_EQ(kShiftDown + " +219:123 -219:123 " + kShiftUp, Keys("{{}"));
  // An unclosed brace types itself and the rest is scanned as plain text.
  std::string open_brace = kShiftDown + " +219:123 -219:123 " + kShiftUp;
  EXPECT_EQ(open_brace + " " + kShiftDown + " +69:69 -69:69 " + kShiftUp + " " + kShiftDown +
                " +78:78 -78:78 " + kShiftUp + " " + kShiftDown + " +84:84 -84:84 " + kShiftUp +
                " " + kShiftDown + " +69:69 -69:69 " + kShiftUp + " " + kShiftDown +
                " +82:82 -82:82 " + kShiftUp,
            Keys("{ENTER"));
  // An escaped "}" does not close the brace.
  EXPECT_EQ(kShiftDown + " +221:125 -221:125 " + kShiftUp, Keys("{\\}}"));
  // "{}" has no name and sends nothing; the text after it is still typed.
  EXPECT_EQ("", Keys("{}"));
  EXPECT_EQ("+65:97 -65:97", Keys("{}a"));
  // A negative count presses nothing, not even the modifiers.
  EXPECT_EQ("", Keys("+{TAB -2}"));
  EXPECT_EQ("", Keys("{x -1}"));
}

TEST(KeyScanTest, HeldModifiersStayDownAcrossKeys) {
  // "A" needs Shift, but the held Shift is neither pressed again nor released.
  EXPECT_EQ(kShiftDown + " +65:65 -65:65 " + kShiftUp, Keys("{SHIFTDOWN}A{SHIFTUP}"));
  EXPECT_EQ(kShiftDown + " +65:97 -65:97 +66:98 -66:98 +67:99 -67:99 " + kShiftUp,
            Keys("{shiftdown}abc{shiftup}"));
  EXPECT_EQ(kCtrlDown + " +65:97 -65:97 +67:99 -67:99 " + kCtrlUp,
            Keys("{CTRLDOWN}^a^c{CTRLUP}"));
  // Up without down sends nothing; down twice presses once.
  EXPECT_EQ("", Keys("{ALTUP}"));
  EXPECT_EQ(kAltDown + " " + kAltUp, Keys("{ALTDOWN}{ALTDOWN 3}{ALTUP}{ALTUP}"));
  // A held modifier left down is not released at the end of the Send.
  EXPECT_EQ(kCtrlDown, Keys("{CTRLDOWN}"));
}

TEST(KeyScanTest, AscTypesTheCodeOnTheKeypadInsideAlt) {
  EXPECT_EQ(kAltDown + " +96:96 -96:96 +102:102 -102:102 +101:101 -101:101 " + kAltUp,
            Keys("{ASC 065}"));
  // An Alt held by {ALTDOWN} is released at the end of the code.
  EXPECT_EQ(kAltDown + " +97:97 -97:97 " + kAltUp, Keys("{ALTDOWN}{ASC 1}{ALTUP}"));
  // Pending prefixes play no part.
  EXPECT_EQ(kAltDown + " +105:105 -105:105 " + kAltUp, Keys("+{ASC 9}"));
  // Without digits nothing is sent; characters that are not digits are skipped.
  EXPECT_EQ("", Keys("{ASC}"));
  EXPECT_EQ("", Keys("{ASC xy}"));
  // ... but an Alt held by {ALTDOWN} is still released, so it cannot stay stuck.
  EXPECT_EQ(kAltDown + " " + kAltUp, Keys("{ALTDOWN}{ASC}"));
  EXPECT_EQ(kAltDown + " " + kAltUp, Keys("{ALTDOWN}{ASC x}{ALTUP}"));
  EXPECT_EQ(kAltDown + " +102:102 -102:102 +101:101 -101:101 " + kAltUp, Keys("{ASC 6x5}"));
}

TEST(KeyScanTest, CharactersWithoutAKeyAreTypedByTheirCode) {
  // 0xE9 has no key on the US layout: Alt+0233 instead of vk 255 with every modifier.
  std::string e_acute = kAltDown + " +96:96 -96:96 +98:98 -98:98 +99:99 -99:99 +99:99 -99:99 " +
                        kAltUp;
  EXPECT_EQ(e_acute, Keys("\xE9"));
  EXPECT_EQ(e_acute + " " + e_acute, Keys("{\xE9 2}"));
  // Prefixes before it are dropped with it; the next key is plain again.
  EXPECT_EQ(e_acute + " +65:97 -65:97", Keys("^\xE9" "a"));
  // Shorter codes are typed as they stand after the leading zero.
  EXPECT_EQ(kAltDown + " +96:96 -96:96 +99:99 -99:99 +97:97 -97:97 " + kAltUp, Keys("\x1F"));
}

TEST(KeyScanTest, Utf8TextTypesKeysOrUnicodeEvents) {
  // ü, ß, 日 and 本 have no key on the US layout: one Unicode event down and
  // up each; 😀 lies beyond U+FFFF and goes as its two surrogates.
  EXPECT_EQ(kShiftDown + " +71:71 -71:71 " + kShiftUp +
                " +82:114 -82:114 +u00FC -u00FC +u00DF -u00DF +69:101 -69:101 +32:32 -32:32"
                " +u65E5 -u65E5 +u672C -u672C +uD83D -uD83D +uDE00 -uDE00 +13:13 -13:13",
            Utf8Keys("Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80{ENTER}"));
  struct Case {
    const char* text;
    const char* keys;
  } cases[] = {
      // Prefixes do not press modifiers around a Unicode event, and are spent.
      {"^\xC3\xBC" "a", "+u00FC -u00FC +65:97 -65:97"},
      // A held modifier stays down across it; counts repeat it; an unknown
      // name types its first character, not its first byte.
      {"{SHIFTDOWN}\xC3\xBC{SHIFTUP}", "+16:16 +u00FC -u00FC -16:16"},
      {"{\xC3\xBC 2}", "+u00FC -u00FC +u00FC -u00FC"},
      {"{\xE6\x97\xA5\xE6\x9C\xAC 2}", "+u65E5 -u65E5 +u65E5 -u65E5"},
      // The last code point there is.
      {"\xF4\x8F\xBF\xBF", "+uDBFF -uDBFF +uDFFF -uDFFF"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(cases[i].keys, Utf8Keys(cases[i].text)) << cases[i].text;
  }
}

TEST(KeyScanTest, Utf8TextTypesAnsiWhereItIsNotUtf8) {
  // ASCII is read alike; a byte that starts no valid sequence (a lone
  // continuation byte, a lead cut short, an overlong form, a surrogate, a
  // value beyond U+10FFFF) is typed as an ANSI script types it.
  const char* texts[] = {"Hello", "^!{DEL}+abc", "{xyz 4}{!}#a", "{ENTER", "{SHIFTDOWN}A{SHIFTUP}",
                         "{ASC 065}", "\xE9", "\x80", "\xC3", "\xC3" "a", "\xE6\x97" "a",
                         "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF0\x9F\x98"};
  for (size_t i = 0; i < sizeof(texts) / sizeof(texts[0]); ++i) {
    EXPECT_EQ(Keys(texts[i]), Utf8Keys(texts[i])) << texts[i];
  }
}

// A layout that has keys for some non-ASCII characters, as a German one
// does: ü on its own key, Ü with Shift, € with Ctrl+Alt (AltGr).
int GermanKeyForCodePoint(void* context, unsigned cp) {
  if (cp == 0xFC) return 0xBA;
  if (cp == 0xDC) return 0x100 | 0xBA;
  if (cp == 0x20AC) return 0x600 | 'E';
  return UsKeyForCodePoint(context, cp);
}

TEST(KeyScanTest, Utf8CharactersTheLayoutHasAreTypedWithTheirKeys) {
  std::string out;
  script::Keyboard kb = UsKeyboard(&out);
  kb.key_for_code_point = GermanKeyForCodePoint;
  script::SendUtf8Keys(kb, "\xC3\xBC\xC3\x9C\xE2\x82\xAC");
  // The scan code is the typed character's (the test layout's 0x300 + code point).
  EXPECT_EQ("+186:252 -186:252 " + kShiftDown + " +186:220 -186:220 " + kShiftUp + " " + kCtrlDown +
                " " + kAltDown + " +69:172 -69:172 " + kCtrlUp + " " + kAltUp,
            out);
}

}  // namespace
