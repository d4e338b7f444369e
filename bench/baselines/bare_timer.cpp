// bare_timer: the floor of a program that paces itself with a 20 ms window
// timer. Each tick sets one environment variable, as a SetEnv line does.
//
//   bare_timer [TICKS]   ends after TICKS ticks; without it, runs until killed
#include <stdlib.h>
#include <windows.h>

static long g_left = -1;

static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_TIMER) {
    SetEnvironmentVariableA("BENCH", "value");
    if (g_left > 0 && --g_left == 0) PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  if (command_line && command_line[0]) g_left = atol(command_line);
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = "BareTimer";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("BareTimer", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                              instance, NULL);
  if (g_left == 0) return 0;
  SetTimer(window, 1, 20, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
