// bare_send: the floor of typing: brings the window titled by the first
// argument to the front, then presses and releases the key of every character
// of the file named by the second argument with keybd_event, Shift around
// capitals, and no delay.
#include <stdio.h>
#include <windows.h>

static void Key(BYTE vk, bool up) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), up ? KEYEVENTF_KEYUP : 0, 0);
}

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  static char text[65536];
  FILE* f = fopen(argv[2], "rb");
  if (!f) return 2;
  size_t n = fread(text, 1, sizeof text - 1, f);
  fclose(f);
  text[n] = '\0';
  HWND target = NULL;
  for (int i = 0; i < 500 && !target; ++i, Sleep(20)) target = FindWindowA(NULL, argv[1]);
  if (!target) return 1;
  SetForegroundWindow(target);
  for (int i = 0; i < 500 && GetForegroundWindow() != target; ++i, Sleep(20)) SetForegroundWindow(target);
  for (size_t i = 0; i < n; ++i) {
    SHORT key = VkKeyScanA(text[i]);
    if (key == -1) continue;
    bool shift = (key & 0x100) != 0;
    if (shift) Key(VK_SHIFT, false);
    Key(static_cast<BYTE>(key & 0xFF), false);
    Key(static_cast<BYTE>(key & 0xFF), true);
    if (shift) Key(VK_SHIFT, true);
    Sleep(0);
  }
  return 0;
}
