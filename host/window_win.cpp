// The host window: its two classes, its window procedure (one OnXxx per
// message) and its creation.
#include <windows.h>

#include "commands/splash.h"
#include "host/host.h"
#include "host/menus.h"
#include "host/run_loop.h"
#include "host/tray_icon_win.h"
#include "resources/resource.h"
#ifdef KESTRO_DEBUG_CHANNEL
#include "host/debug_win.h"
#endif

namespace host {

namespace {

const char kHostClass[] = "Kestro";
const int kStatusEditId = 1;

// The message the taskbar broadcasts when it is created (Explorer restarted).
UINT g_taskbar_created;

// Switches Caps Lock off so that typed text keeps its letter case.
void SwitchCapsLockOff() {
  if (!(GetKeyState(VK_CAPITAL) & 1)) return;
  BYTE scan = static_cast<BYTE>(MapVirtualKeyA(VK_CAPITAL, 0));
  DWORD delay = g_interp.key_delay > 0 ? static_cast<DWORD>(g_interp.key_delay) : 0;
  keybd_event(VK_CAPITAL, scan, 0, 0);
  Sleep(delay);
  keybd_event(VK_CAPITAL, scan, KEYEVENTF_KEYUP, 0);
  Sleep(delay);
}

LRESULT OnCreate(HWND window) {
  g_host.window = window;
  g_host.system.host_window = window;
  SwitchCapsLockOff();
  StartRunTimer();
  // A UTF-8 script's lines are shown by a Unicode edit control: an ANSI one
  // would turn every character outside the code page into "?".
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                      ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;
  HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusEditId));
  g_host.status_edit =
      g_interp.sections.utf8
          ? CreateWindowExW(0, L"edit", L"", style, 0, 0, 0, 0, window, id, g_host.instance, NULL)
          : CreateWindowExA(0, "edit", "", style, 0, 0, 0, 0, window, id, g_host.instance, NULL);
  commands::SetSplashOwner(window, g_host.instance);
  return 0;
}

LRESULT OnDestroy(HWND window) {
  RemoveTrayIcon();
  StopRunTimer();
  KillTimer(window, kWaitTimeoutTimer);
  PostQuitMessage(0);
  return 0;
}

// The status edit fills the client area; minimising goes to the tray and
// restoring comes back from it.
LRESULT OnSize(HWND window, WPARAM type, LPARAM size) {
  MoveWindow(g_host.status_edit, 0, 0, LOWORD(size), HIWORD(size), TRUE);
  if (type == SIZE_RESTORED || type == SIZE_MAXIMIZED) {
    RemoveTrayIcon();
  } else if (type == SIZE_MINIMIZED) {
    ShowWindow(window, SW_HIDE);
    AddTrayIcon();
  }
  return 0;
}

LRESULT OnCommand(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (LOWORD(wparam)) {
    case kTrayPauseCommand:
      SetPaused(!g_interp.paused);
      return 0;
    case kTrayExitCommand:
      ExitFromTray();
      return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

LRESULT OnSysCommand(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (LOWORD(wparam)) {
    case kSysPause:
      SetPaused(true);
      return 0;
    case kSysResume:
      SetPaused(false);
      return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

LRESULT OnTrayNotify(HWND window, LPARAM mouse_message) {
  switch (mouse_message) {
    case WM_LBUTTONDBLCLK:
      ShowWindow(window, SW_SHOW);
      ShowWindow(window, SW_RESTORE);  // its WM_SIZE removes the tray icon
      break;
    case WM_RBUTTONDOWN:
      ShowTrayMenu();
      break;
  }
  return 0;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_DESTROY:
      return OnDestroy(window);
    case WM_SIZE:
      return OnSize(window, wparam, lparam);
    case WM_SETFOCUS:
      SetFocus(g_host.status_edit);
      return 0;
    case WM_CLOSE:
      // With break off the user cannot close the window.
      if (!g_interp.break_enabled) return 0;
      break;
    case WM_COMMAND:
      return OnCommand(window, msg, wparam, lparam);
    case WM_SYSCOMMAND:
      return OnSysCommand(window, msg, wparam, lparam);
    case WM_TIMER:
      if (wparam == kWaitTimeoutTimer)
        OnWaitTimeoutTick();
      else
        OnRunTimerTick();
      return 0;
    case kTrayMessage:
      return OnTrayNotify(window, lparam);
#ifdef KESTRO_DEBUG_CHANNEL
    case kDebugSocketMessage:
      OnDebugSocket(lparam);
      return 0;
#endif
  }
  if (msg == g_taskbar_created && g_taskbar_created != 0) {
    OnTaskbarCreated();
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

// Not named RegisterClass: <windows.h> defines that name as a macro, which
// would silently rename this function to RegisterClassA.
ATOM RegisterRunnerClass(const char* name, WNDPROC proc) {
  WNDCLASSEXA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = g_host.instance;
  wc.hIcon = LoadIconA(g_host.instance, MAKEINTRESOURCEA(IDI_MAIN));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = name;
  return RegisterClassExA(&wc);
}

}  // namespace

bool RegisterWindowClasses() {
  bool host_ok = RegisterRunnerClass(kHostClass, HostWindowProc) != 0;
  HICON icon = LoadIconA(g_host.instance, MAKEINTRESOURCEA(IDI_MAIN));
  bool splash_ok = commands::RegisterSplashClass(g_host.instance, icon) != 0;
  return host_ok && splash_ok;
}

HWND CreateHostWindow() {
  g_taskbar_created = ListenForTaskbarCreated();
  // Made minimised and hidden: where minimising puts it, into the tray.
  return CreateWindowExA(0, kHostClass, script::kBanner, WS_OVERLAPPEDWINDOW | WS_MINIMIZE,
                         CW_USEDEFAULT, CW_USEDEFAULT, 625, 300, NULL, NULL, g_host.instance, NULL);
}

}  // namespace host
