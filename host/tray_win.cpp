// The runner's tray icon (when it is wanted, retried, re-added), the tray
// menu and the pause item of the system menu.
#include <windows.h>

#include "host/host.h"
#include "host/menus.h"
#include "host/run_loop.h"
#include "host/tray_icon_win.h"
#include "resources/resource.h"

namespace host {

namespace {

// The runner's icon in the notification area: the main icon and "Kestro".
TrayIcon RunnerIcon() {
  TrayIcon icon = {g_host.window, kTrayIconId, kTrayMessage,
                   LoadIconA(g_host.instance, MAKEINTRESOURCEA(IDI_MAIN)), "Kestro"};
  return icon;
}

// Reverts the system menu to the default items, then appends the separator
// and the one item that matches the paused flag.
void RebuildSystemMenu() {
  GetSystemMenu(g_host.window, TRUE);
  HMENU menu = GetSystemMenu(g_host.window, FALSE);
  AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
  if (g_interp.paused)
    AppendMenuA(menu, MF_STRING, kSysResume, "Resume Script Execution");
  else
    AppendMenuA(menu, MF_STRING, kSysPause, "Pause Script Execution");
}

}  // namespace

void AddTrayIcon() {
  if (g_host.hidden) return;
  g_host.tray_wanted = true;
  if (g_host.tray_shown) return;
  TrayIcon icon = RunnerIcon();
  g_host.tray_tried_at = GetTickCount();
  g_host.tray_attempted = true;
  // Marked shown only when the taskbar has it: without a taskbar the add
  // fails, and RetryTrayIcon tries again.
  g_host.tray_shown = AddNotifyIcon(icon);
}

// The icon is deleted also when its add was not confirmed, so that an icon
// the taskbar took after all does not outlive the program.
void RemoveTrayIcon() {
  g_host.tray_wanted = false;
  if (!g_host.tray_shown && !g_host.tray_attempted) return;
  g_host.tray_shown = false;
  g_host.tray_attempted = false;
  TrayIcon icon = {g_host.window, kTrayIconId, 0, NULL, NULL};  // window and id name it
  DeleteNotifyIcon(icon);
}

void OnTaskbarCreated() {
  g_host.tray_shown = false;
  g_host.tray_attempted = false;  // the new taskbar holds none of the old icons
  if (g_host.tray_wanted) AddTrayIcon();
}

void RetryTrayIcon() {
  const DWORD kRetryMs = 2000;
  if (!g_host.tray_wanted || g_host.tray_shown || g_host.hidden) return;
  if (GetTickCount() - g_host.tray_tried_at < kRetryMs) return;  // unsigned: safe across wrap-around
  AddTrayIcon();
}

void SetPaused(bool paused) {
  if (!g_interp.break_enabled) return;
  g_interp.paused = paused;
  RebuildSystemMenu();
}

void ExitFromTray() {
  if (!g_interp.break_enabled) return;
  StopRunTimer();
  KillTimer(g_host.window, kWaitTimeoutTimer);
  RemoveTrayIcon();
  PostQuitMessage(0);
}

void ShowTrayMenu() {
  HMENU loaded = LoadMenuA(g_host.instance, MAKEINTRESOURCEA(IDM_TRAY));
  if (!loaded) return;
  UINT enable = g_interp.break_enabled ? MF_ENABLED : MF_GRAYED;
  EnableMenuItem(loaded, kTrayPauseCommand, MF_BYCOMMAND | enable);
  EnableMenuItem(loaded, kTrayExitCommand, MF_BYCOMMAND | enable);
  CheckMenuItem(loaded, kTrayPauseCommand,
                MF_BYCOMMAND | (g_interp.paused ? MF_CHECKED : MF_UNCHECKED));
  HMENU popup = GetSubMenu(loaded, 0);
  POINT at;
  GetCursorPos(&at);
  // The window must be in the foreground while the menu is tracked, or the
  // menu does not go away when the user clicks elsewhere.
  SetForegroundWindow(g_host.window);
  TrackPopupMenuEx(popup, 0, at.x, at.y, g_host.window, NULL);
  DestroyMenu(loaded);
  PostMessageA(g_host.window, WM_NULL, 0, 0);
}

}  // namespace host
