// The tray icon, the tray menu and the pause item of the system menu.
#include <string.h>
#include <windows.h>
#include <shellapi.h>

#include "host/host.h"
#include "host/menus.h"
#include "host/run_loop.h"
#include "resources/resource.h"

namespace host {

namespace {

// The first, 88-byte form of the record, which every version of the shell takes.
const DWORD kNotifyIconSize = 88;

void FillRecord(NOTIFYICONDATAA* nid) {
  memset(nid, 0, sizeof(*nid));
  nid->cbSize = kNotifyIconSize;
  nid->hWnd = g_host.window;
  nid->uID = kTrayIconId;
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
  NOTIFYICONDATAA nid;
  FillRecord(&nid);
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = kTrayMessage;
  nid.hIcon = LoadIconA(g_host.instance, MAKEINTRESOURCEA(IDI_MAIN));
  lstrcpynA(nid.szTip, "Kestro", sizeof(nid.szTip));
  g_host.tray_tried_at = GetTickCount();
  g_host.tray_attempted = true;
  // Marked shown only when the taskbar has it: without a taskbar the add
  // fails, and RetryTrayIcon tries again. A busy taskbar may take an add whose
  // answer timed out; the icon is then there, and a modification succeeds.
  g_host.tray_shown = Shell_NotifyIconA(NIM_ADD, &nid) != FALSE ||
                      Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

// The icon is deleted also when its add was not confirmed, so that an icon
// the taskbar took after all does not outlive the program.
void RemoveTrayIcon() {
  g_host.tray_wanted = false;
  if (!g_host.tray_shown && !g_host.tray_attempted) return;
  NOTIFYICONDATAA nid;
  FillRecord(&nid);
  g_host.tray_shown = false;
  g_host.tray_attempted = false;
  Shell_NotifyIconA(NIM_DELETE, &nid);
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
