// bare_poll: the floor of waiting for a window: a 20 ms window timer, and on
// each tick one pass over the top-level windows reading every visible title.
//
//   bare_poll [LIFETIME_MS]   ends after that long; without it, runs until killed
#include <stdlib.h>
#include <windows.h>

static char g_title[8192];

static BOOL CALLBACK OnWindow(HWND window, LPARAM) {
  if (!IsWindowVisible(window)) return TRUE;
  GetWindowTextA(window, g_title, sizeof g_title);
  return TRUE;
}

static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_TIMER && wparam == 2) {
    PostQuitMessage(0);
    return 0;
  }
  if (msg == WM_TIMER) {
    EnumWindows(OnWindow, 0);
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = "BarePoll";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("BarePoll", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                              instance, NULL);
  SetTimer(window, 1, 20, NULL);
  if (command_line && command_line[0]) SetTimer(window, 2, static_cast<UINT>(atol(command_line)), NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
