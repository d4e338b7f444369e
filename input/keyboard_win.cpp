// The system keyboard: layout queries of the active keyboard layout and key
// events through keybd_event (Unicode key events through SendInput), each
// followed by the key delay.
#include <windows.h>

#include "input/input_win.h"

namespace input {

namespace {

int KeyForChar(void*, unsigned char c) {
  // VkKeyScanA answers -1 (every bit set) for a character the layout cannot
  // type; the scanner tests the low byte for that.
  return static_cast<unsigned short>(VkKeyScanA(static_cast<CHAR>(c)));
}

int ScanForKey(void*, int vk) { return static_cast<int>(MapVirtualKeyA(static_cast<UINT>(vk), 0)); }

// The scan code of a typed character comes from its OEM code page form.
int ScanForChar(void*, unsigned char c) {
  char ansi[2] = {static_cast<char>(c), '\0'};
  char oem[2] = {'\0', '\0'};
  CharToOemA(ansi, oem);
  return static_cast<int>(OemKeyScan(static_cast<unsigned char>(oem[0])) & 0xFF);
}

// The context is the interpreter, whose key delay follows every event.
void Emit(void* context, int vk, int scan, int flags) {
  keybd_event(static_cast<BYTE>(vk), static_cast<BYTE>(scan), static_cast<DWORD>(flags), 0);
  SleepKeyDelay(*static_cast<const script::Interp*>(context));
}

// UTF-8 scripts: the layout is asked in UTF-16. A character beyond U+FFFF has
// no key on any layout.
int KeyForCodePoint(void*, unsigned cp) {
  if (cp > 0xFFFF) return 0xFFFF;
  return static_cast<unsigned short>(VkKeyScanW(static_cast<WCHAR>(cp)));
}

int ScanForCodePoint(void*, unsigned cp) {
  WCHAR wide[2] = {static_cast<WCHAR>(cp), L'\0'};
  char oem[4] = {'\0', '\0', '\0', '\0'};
  CharToOemW(wide, oem);
  return static_cast<int>(OemKeyScan(static_cast<unsigned char>(oem[0])) & 0xFF);
}

typedef UINT(WINAPI* SendInputFn)(UINT count, INPUT* inputs, int size);

// SendInput is looked up at run time: Windows 95 has none, and there a
// character without a key cannot be typed at all.
SendInputFn FindSendInput() {
  static bool looked = false;
  static SendInputFn send_input = NULL;
  if (looked) return send_input;
  looked = true;
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 != NULL) {
    send_input = reinterpret_cast<SendInputFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SendInput")));
  }
  return send_input;
}

// A Unicode key event: the UTF-16 unit travels as the scan code, with no
// virtual key; the window receives it as WM_CHAR.
void EmitUnit(void* context, unsigned unit, int flags) {
  SendInputFn send_input = FindSendInput();
  if (send_input != NULL) {
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = static_cast<WORD>(unit);
    input.ki.dwFlags = KEYEVENTF_UNICODE | ((flags & script::kKeyUp) ? KEYEVENTF_KEYUP : 0);
    send_input(1, &input, sizeof(input));
  }
  SleepKeyDelay(*static_cast<const script::Interp*>(context));
}

}  // namespace

script::Keyboard SystemKeyboard(script::Interp& in) {
  script::Keyboard kb = {&in,  KeyForChar,      ScanForKey,       ScanForChar,
                         Emit, KeyForCodePoint, ScanForCodePoint, EmitUnit};
  return kb;
}

void SleepKeyDelay(const script::Interp& in) {
  // Sleep takes an unsigned count: a negative delay would be a wait of weeks.
  int delay = in.key_delay;
  Sleep(delay > 0 ? static_cast<DWORD>(delay) : 0);
}

}  // namespace input
