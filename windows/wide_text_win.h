// The buffers and W calls through which a UTF-8 script's text crosses to
// Windows; the conversion itself is the core's (script/wide_text.h).
#ifndef KESTRO_WINDOWS_WIDE_TEXT_WIN_H
#define KESTRO_WINDOWS_WIDE_TEXT_WIN_H

#include <windows.h>

namespace windows {

// On Windows a wchar_t is one UTF-16 unit, so the W functions' text goes to
// and from the core's converter through a cast.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is one UTF-16 unit");
inline char16_t* Units(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }
inline const char16_t* Units(const wchar_t* text) {
  return reinterpret_cast<const char16_t*>(text);
}

// UTF-16 units a converted text may hold with its zero: more than the bytes
// of any field, value or message, so nothing a command hands over is cut.
const int kWideSize = 2048;

// How many texts one call may hand over at once: each takes its own slot.
const int kWideSlots = 4;

// UTF-8 text as UTF-16 in slot `slot` (0 to kWideSlots - 1), valid until the
// slot is used again; writable, as CreateProcessW wants its command line. A
// null text gives null (for the optional arguments). A byte that is not valid
// UTF-8 becomes the lone surrogate U+DC00 + byte, which ToUtf8 turns back into
// that byte. The runner has one thread, so the slots need no lock.
wchar_t* Wide(const char* utf8, int slot);

// Writes UTF-16 text into out as UTF-8: at most size - 1 bytes and the zero,
// cut before the first character that does not fit whole, so a long text is
// never cut inside a character. A lone U+DC80 to U+DCFF becomes the byte it
// stands for (see Wide); any other lone surrogate half becomes U+FFFD.
// Returns the number of bytes written.
int ToUtf8(const wchar_t* wide, char* out, int size);

// Sets a window's text, or shows a message box, with texts in the script's
// encoding: UTF-8 through the W function, ANSI through the A function.
void SetText(HWND window, const char* text, bool utf8);
int ShowBox(HWND owner, const char* text, const char* title, UINT flags, bool utf8);

}  // namespace windows

#endif
