// kestro-rec: records keystrokes and clicks with low-level hooks and writes
// them as a script (the translation is in recording.cpp). Ctrl+Alt+R, the
// tray icon or the button in its small window starts and stops it; stopping
// writes the script and ends the program.
//
//   kestro-rec [--out FILE] [--seconds N] [--pause MS] [--wait S] [--skip-injected] [--pos X,Y]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

#include "authoring/rec_args.h"
#include "authoring/recording.h"
#include "host/tray_icon_win.h"
#include "script/wide_text.h"
#include "windows/wide_text_win.h"

namespace {

const char kClassName[] = "KestroRecorder";
const char kTitle[] = "Kestro Recorder";
const UINT kTrayMessage = WM_APP + 1;
const UINT kTrayId = 1;
const int kHotkeyId = 1;
const UINT_PTR kEndTimer = 1;
const UINT_PTR kStatusTimer = 2;
const int kButtonId = 100;
const int kMenuToggle = 200;
const int kMenuDiscard = 201;
const int kHotkeyVk = 'R';

authoring::RecArgs g_options;
HWND g_window;
HWND g_status;
HWND g_button;
bool g_recording;
std::vector<authoring::RecordedEvent> g_events;
bool g_shift, g_ctrl, g_alt;  // as the hook has seen them, recording or not
bool g_hotkey_down;           // the hotkey's own key is down: its up is not recorded either
HWND g_last_foreground;
host::TrayIcon g_tray;        // the recorder's icon in the notification area
UINT g_taskbar_created;       // the message of a new taskbar, which has lost the icon

void WriteStd(DWORD which, const std::string& text) {
  HANDLE handle = GetStdHandle(which);
  if (handle == NULL || handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
}

// --help: the usage on standard output; in a box when there is none (a GUI
// program started from a console window gets no handles of its own).
void ShowUsage(const char* usage) {
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  if (handle != NULL && handle != INVALID_HANDLE_VALUE) {
    WriteStd(STD_OUTPUT_HANDLE, usage);
  } else {
    MessageBoxA(NULL, usage, "kestro-rec", MB_OK | MB_ICONINFORMATION);
  }
}

bool IsOwnWindow(HWND window) {
  return window != NULL && (window == g_window || GetAncestor(window, GA_ROOT) == g_window);
}

// A window's title in UTF-8, as the recorded script is written, converted
// as the runner converts it (a lone surrogate comes back as the runner reads it).
std::string TitleOf(HWND window) {
  wchar_t wide[1024];
  int n = GetWindowTextW(window, wide, sizeof(wide) / sizeof(wide[0]));
  if (n <= 0) return std::string();
  char title[3 * 1024 + 1];  // at most three bytes for each unit
  size_t size = script::Utf16ToUtf8(windows::Units(wide), static_cast<size_t>(n), title,
                                    sizeof(title));
  return std::string(title, size);
}

// Before a key or click: a new foreground window (not this one) is recorded
// with its title.
void NoteForeground(DWORD time) {
  HWND foreground = GetForegroundWindow();
  if (foreground == g_last_foreground || IsOwnWindow(foreground)) return;
  g_last_foreground = foreground;
  std::string title = foreground != NULL ? TitleOf(foreground) : std::string();
  g_events.push_back(authoring::RecordedEvent::Activate(time, title));
}

// ToUnicode's flag that leaves the keyboard's state alone (Windows 10 1607
// and later; older systems ignore it): without it, asking about a dead key
// here uses the accent up, and the window gets the bare letter after it.
const UINT kKeepKeyboardState = 4;

// The character (code point) a key types with the given Shift and Caps Lock
// state, or 0: dead keys and keys that type two characters give none. A
// character beyond U+FFFF comes as a surrogate pair.
unsigned CharOf(int vk, int scan, bool shift, bool caps) {
  BYTE state[256];
  ZeroMemory(state, sizeof(state));
  if (shift) state[VK_SHIFT] = 0x80;
  if (caps) state[VK_CAPITAL] = 0x01;
  WCHAR out[4] = {0, 0, 0, 0};
  int n = ToUnicode(static_cast<UINT>(vk), static_cast<UINT>(scan), state, out, 4,
                    kKeepKeyboardState);
  if (n == 1) return out[0];
  if (n == 2 && script::IsHighSurrogate(out[0]) && script::IsLowSurrogate(out[1])) {
    return script::JoinSurrogates(out[0], out[1]);
  }
  return 0;
}

void SetModifier(int vk, bool down) {
  if (vk == VK_SHIFT || vk == VK_LSHIFT || vk == VK_RSHIFT) g_shift = down;
  if (vk == VK_CONTROL || vk == VK_LCONTROL || vk == VK_RCONTROL) g_ctrl = down;
  if (vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU) g_alt = down;
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    const KBDLLHOOKSTRUCT* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
    // Wine marks the up of a Unicode key event (VK_PACKET) in the message only.
    bool up = (k->flags & LLKHF_UP) != 0 || wparam == WM_KEYUP || wparam == WM_SYSKEYUP;
    int vk = static_cast<int>(k->vkCode);
    bool skip = g_options.skip_injected && (k->flags & LLKHF_INJECTED);
    // The hotkey's key (with Ctrl and Alt) starts or stops the recording and
    // is never part of it; the lone Ctrl and Alt around it write nothing.
    bool hotkey = vk == kHotkeyVk && (up ? g_hotkey_down : g_ctrl && g_alt && !g_shift);
    if (vk == kHotkeyVk) g_hotkey_down = !up && hotkey;
    if (g_recording && !skip && !hotkey) {
      authoring::RecordedEvent::Kind kind =
          up ? authoring::RecordedEvent::kKeyUp : authoring::RecordedEvent::kKeyDown;
      unsigned ch = 0, base = 0;
      if (!up && vk == VK_PACKET) {
        // A Unicode key event carries its character (a UTF-16 unit) as its scan code.
        NoteForeground(k->time);
        ch = k->scanCode & 0xFFFF;
      } else if (!up) {
        NoteForeground(k->time);
        bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
        ch = CharOf(vk, static_cast<int>(k->scanCode), g_shift, caps);
        base = CharOf(vk, static_cast<int>(k->scanCode), false, false);
      }
      g_events.push_back(authoring::RecordedEvent::Key(kind, k->time, vk, ch, base));
    }
    SetModifier(vk, !up);
  }
  return CallNextHookEx(NULL, code, wparam, lparam);
}

LRESULT CALLBACK MouseHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && g_recording && (wparam == WM_LBUTTONDOWN || wparam == WM_RBUTTONDOWN)) {
    const MSLLHOOKSTRUCT* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(lparam);
    bool skip = g_options.skip_injected && (m->flags & LLMHF_INJECTED);
    if (!skip && !IsOwnWindow(WindowFromPoint(m->pt))) {
      NoteForeground(m->time);
      // Positions are measured from the window that is in the foreground as
      // the button goes down, as LeftClick measures them when it replays.
      RECT outer = {0, 0, 0, 0};
      HWND foreground = GetForegroundWindow();
      if (foreground != NULL) GetWindowRect(foreground, &outer);
      g_events.push_back(authoring::RecordedEvent::Click(
          wparam == WM_LBUTTONDOWN ? authoring::RecordedEvent::kLeftClick
                                   : authoring::RecordedEvent::kRightClick,
          m->time, m->pt.x, m->pt.y, outer.left, outer.top));
    }
  }
  return CallNextHookEx(NULL, code, wparam, lparam);
}

void UpdateStatus() {
  char text[256];
  if (g_recording) {
    snprintf(text, sizeof(text), "Recording: %u events.\nCtrl+Alt+R or Stop writes %s",
             static_cast<unsigned>(g_events.size()), g_options.out.c_str());
  } else {
    snprintf(text, sizeof(text), "Ready.\nCtrl+Alt+R or Record starts recording.");
  }
  SetWindowTextA(g_status, text);
  SetWindowTextA(g_button, g_recording ? "Stop" : "Record");
  g_tray.tip = g_recording ? "Kestro Recorder: recording" : "Kestro Recorder: ready";
  host::SetNotifyIconTip(g_tray);
}

// Writes the script; the exit code says whether it was written.
int g_exit_code = 0;

void StopAndWrite() {
  g_recording = false;
  authoring::RecordingOptions options;
  options.pause_ms = g_options.pause_ms;
  options.wait_timeout_s = g_options.wait_s;
  // The byte order mark only when a character is not ASCII: an ASCII
  // recording runs on every Windows.
  std::string script =
      authoring::ScriptFileBytes(authoring::ScriptFromEvents(g_events, options));
  FILE* f = fopen(g_options.out.c_str(), "w");  // text mode: lines end in CR LF
  bool ok = f != NULL && fwrite(script.data(), 1, script.size(), f) == script.size();
  if (f != NULL) ok = fclose(f) == 0 && ok;
  if (!ok) {
    WriteStd(STD_ERROR_HANDLE, "kestro-rec: cannot write " + g_options.out + "\n");
    g_exit_code = 1;
  }
  DestroyWindow(g_window);
}

void Start() {
  g_recording = true;
  g_events.clear();
  g_last_foreground = NULL;
  NoteForeground(GetTickCount());
  UpdateStatus();
}

void Toggle() {
  if (g_recording) {
    StopAndWrite();
  } else {
    Start();
  }
}

void ShowTrayMenu(HWND window) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, kMenuToggle, g_recording ? "Stop and save" : "Record");
  AppendMenuA(menu, MF_STRING, kMenuDiscard, "Quit without saving");
  POINT p;
  GetCursorPos(&p);
  SetForegroundWindow(window);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, p.x, p.y, 0, window, NULL);
  PostMessageA(window, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_HOTKEY:
      if (wparam == kHotkeyId) Toggle();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId || LOWORD(wparam) == kMenuToggle) Toggle();
      if (LOWORD(wparam) == kMenuDiscard) DestroyWindow(window);
      return 0;
    case WM_TIMER:
      if (wparam == kEndTimer && g_recording) StopAndWrite();
      if (wparam == kStatusTimer && g_recording) UpdateStatus();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // clicking the recorder leaves the foreground where it is
    case WM_CLOSE:
      if (g_recording) {
        StopAndWrite();
      } else {
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(g_exit_code);
      return 0;
  }
  if (msg == kTrayMessage) {
    if (lparam == WM_LBUTTONUP) Toggle();
    if (lparam == WM_RBUTTONUP) ShowTrayMenu(window);
    return 0;
  }
  if (msg == g_taskbar_created && g_taskbar_created != 0) {
    host::AddNotifyIcon(g_tray);  // Explorer restarted: the new taskbar holds no icon of ours
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::string error;
  if (!authoring::ParseRecArgs(__argc - 1, __argv + 1, &g_options, &error)) {
    WriteStd(STD_ERROR_HANDLE, "kestro-rec: " + error + "\n" + authoring::kRecUsage);
    return 2;
  }
  if (g_options.help) {
    ShowUsage(authoring::kRecUsage);
    return 0;
  }
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hIcon = LoadIcon(NULL, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
  const int width = 320, height = 110;
  int x = g_options.x, y = g_options.y;
  if (x < 0) {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = work.right - width - 10;
    y = work.bottom - height - 10;
  }
  g_window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName,
                             kTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, width, height, NULL,
                             NULL, instance, NULL);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  g_status = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 220, 60, g_window,
                             NULL, instance, NULL);
  g_button = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 240, 10, 62,
                             26, g_window, reinterpret_cast<HMENU>(kButtonId), instance, NULL);
  SendMessageA(g_status, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(g_button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  host::TrayIcon tray = {g_window, kTrayId, kTrayMessage, LoadIcon(NULL, IDI_APPLICATION),
                         "Kestro Recorder"};
  g_tray = tray;
  g_taskbar_created = host::ListenForTaskbarCreated();
  host::AddNotifyIcon(g_tray);

  if (!RegisterHotKey(g_window, kHotkeyId, MOD_CONTROL | MOD_ALT, kHotkeyVk)) {
    WriteStd(STD_ERROR_HANDLE, "kestro-rec: Ctrl+Alt+R is taken; use the tray icon or Record\n");
  }
  HHOOK keyboard = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, instance, 0);
  HHOOK mouse = SetWindowsHookExA(WH_MOUSE_LL, MouseHook, instance, 0);
  if (keyboard == NULL || mouse == NULL) {
    WriteStd(STD_ERROR_HANDLE, "kestro-rec: cannot install the keyboard and mouse hooks\n");
    host::DeleteNotifyIcon(g_tray);
    return 1;
  }
  ShowWindow(g_window, SW_SHOWNOACTIVATE);
  // With a time limit the recording starts at once, as the tests want it.
  if (g_options.seconds > 0) {
    Start();
    SetTimer(g_window, kEndTimer, static_cast<UINT>(g_options.seconds) * 1000, NULL);
  } else {
    UpdateStatus();
  }
  SetTimer(g_window, kStatusTimer, 500, NULL);

  MSG msg;
  int code = 0;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  code = static_cast<int>(msg.wParam);
  UnhookWindowsHookEx(keyboard);
  UnhookWindowsHookEx(mouse);
  host::DeleteNotifyIcon(g_tray);
  return code;
}
