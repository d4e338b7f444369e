// bare_tray: the floor of starting and ending a tray program: a window, a
// tray icon, and on the first timer tick the icon removed and the program ended.
#include <windows.h>
#include <shellapi.h>

static NOTIFYICONDATAA g_icon;

static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_TIMER) {
    KillTimer(window, 1);
    Shell_NotifyIconA(NIM_DELETE, &g_icon);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = "BareTray";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("BareTray", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                              instance, NULL);
  g_icon.cbSize = 88;
  g_icon.hWnd = window;
  g_icon.uID = 1;
  g_icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  g_icon.uCallbackMessage = WM_USER + 1;
  g_icon.hIcon = LoadIcon(NULL, IDI_APPLICATION);
  lstrcpynA(g_icon.szTip, "Bare", sizeof g_icon.szTip);
  Shell_NotifyIconA(NIM_ADD, &g_icon);
  SetTimer(window, 1, 0, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
