// The slots that hold a UTF-8 script's text as UTF-16 for the W functions.
#include "windows/wide_text_win.h"

#include <string.h>
#include <wchar.h>

#include "script/wide_text.h"

namespace windows {

namespace {

wchar_t g_slots[kWideSlots][kWideSize];

}  // namespace

wchar_t* Wide(const char* utf8, int slot) {
  if (utf8 == NULL) return NULL;
  // Longer than any text a command hands over: the converter cuts it.
  script::Utf8ToUtf16(utf8, strlen(utf8), Units(g_slots[slot]), kWideSize);
  return g_slots[slot];
}

int ToUtf8(const wchar_t* wide, char* out, int size) {
  return static_cast<int>(
      script::Utf16ToUtf8(Units(wide), wcslen(wide), out, static_cast<size_t>(size)));
}

void SetText(HWND window, const char* text, bool utf8) {
  if (utf8) SetWindowTextW(window, Wide(text, 0));
  else SetWindowTextA(window, text);
}

int ShowBox(HWND owner, const char* text, const char* title, UINT flags, bool utf8) {
  if (utf8) return MessageBoxW(owner, Wide(text, 0), Wide(title, 1), flags);
  return MessageBoxA(owner, text, title, flags);
}

}  // namespace windows
