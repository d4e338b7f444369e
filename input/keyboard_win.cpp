// The system keyboard: layout queries of the active keyboard layout and key
// events through keybd_event, each followed by the key delay.
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

}  // namespace

script::Keyboard SystemKeyboard(script::Interp& in) {
  script::Keyboard kb = {&in, KeyForChar, ScanForKey, ScanForChar, Emit};
  return kb;
}

void SleepKeyDelay(const script::Interp& in) {
  // Sleep takes an unsigned count: a negative delay would be a wait of weeks.
  int delay = in.key_delay;
  Sleep(delay > 0 ? static_cast<DWORD>(delay) : 0);
}

}  // namespace input
