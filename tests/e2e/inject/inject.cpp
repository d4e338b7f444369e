// inject: plays key and mouse events from a file, one step a line, with the
// runner's default key delay (20 ms) after each event, so that a recorder
// sees what a user's typing would give:
//   +VK / -VK          a key down / up (scan code from the layout; the keys
//                      33 to 40, 45 and 46 carry the extended flag)
//   u HEX              a Unicode key event down and up carrying the UTF-16
//                      unit HEX, as Send types a character without a key
//   click L|R X Y      move, button down, button up at X, Y relative to the
//                      foreground window's outer top-left corner
//   sleep MS           a pause
//   wait TITLE         until the foreground window's title is TITLE (at most
//                      15 s; exit code 1 when it never is)
//
//   inject FILE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

const DWORD kDelay = 20;

void Key(int vk, bool up) {
  DWORD flags = up ? KEYEVENTF_KEYUP : 0;
  if ((vk >= 33 && vk <= 40) || vk == 45 || vk == 46) flags |= KEYEVENTF_EXTENDEDKEY;
  keybd_event(static_cast<BYTE>(vk), static_cast<BYTE>(MapVirtualKeyA(vk, 0)), flags, 0);
  Sleep(kDelay);
}

void Unit(unsigned unit) {
  for (int up = 0; up < 2; ++up) {
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = static_cast<WORD>(unit);
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    SendInput(1, &input, sizeof(input));
    Sleep(kDelay);
  }
}

void Mouse(DWORD flags, int x, int y) {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  // Rounded up, so that the system's mapping back lands on the pixel named.
  DWORD ax = static_cast<DWORD>((x * 65536LL + width - 1) / width);
  DWORD ay = static_cast<DWORD>((y * 65536LL + height - 1) / height);
  mouse_event(flags | MOUSEEVENTF_ABSOLUTE, ax, ay, 0, 0);
  Sleep(kDelay);
}

void Click(bool right, int x, int y) {
  RECT outer = {0, 0, 0, 0};
  HWND foreground = GetForegroundWindow();
  if (foreground != NULL) GetWindowRect(foreground, &outer);
  x += outer.left;
  y += outer.top;
  Mouse(MOUSEEVENTF_MOVE, x, y);
  Mouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, x, y);
  Mouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, x, y);
}

bool WaitFor(const char* title) {
  for (int i = 0; i < 150; ++i) {
    char now[512] = "";
    HWND foreground = GetForegroundWindow();
    if (foreground != NULL) GetWindowTextA(foreground, now, sizeof(now));
    if (strcmp(now, title) == 0) return true;
    Sleep(100);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fputs("usage: inject FILE\n", stderr);
    return 2;
  }
  FILE* f = fopen(argv[1], "rb");
  if (f == NULL) {
    fprintf(stderr, "inject: cannot read %s\n", argv[1]);
    return 2;
  }
  char line[512];
  while (fgets(line, sizeof(line), f) != NULL) {
    line[strcspn(line, "\r\n")] = '\0';
    char button;
    int x, y;
    if (line[0] == '+' || line[0] == '-') {
      Key(atoi(line + 1), line[0] == '-');
    } else if (strncmp(line, "u ", 2) == 0) {
      Unit(static_cast<unsigned>(strtoul(line + 2, NULL, 16)));
    } else if (sscanf(line, "click %c %d %d", &button, &x, &y) == 3) {
      Click(button == 'R', x, y);
    } else if (strncmp(line, "sleep ", 6) == 0) {
      Sleep(static_cast<DWORD>(atoi(line + 6)));
    } else if (strncmp(line, "wait ", 5) == 0) {
      if (!WaitFor(line + 5)) {
        fprintf(stderr, "inject: \"%s\" never came to the foreground\n", line + 5);
        fclose(f);
        return 1;
      }
    }
  }
  fclose(f);
  return 0;
}
