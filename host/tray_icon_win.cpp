// The notification-area icon of a window: adding it, its tip, removing it,
// and hearing a new taskbar.
#include "host/tray_icon_win.h"

#include <string.h>
#include <shellapi.h>

namespace host {

namespace {

// The first, 88-byte form of the record, which every version of the shell takes.
const DWORD kNotifyIconSize = 88;

void FillRecord(const TrayIcon& icon, UINT flags, NOTIFYICONDATAA* nid) {
  memset(nid, 0, sizeof(*nid));
  nid->cbSize = kNotifyIconSize;
  nid->hWnd = icon.window;
  nid->uID = icon.id;
  nid->uFlags = flags;
  nid->uCallbackMessage = icon.message;
  nid->hIcon = icon.icon;
  if (icon.tip != NULL) lstrcpynA(nid->szTip, icon.tip, sizeof(nid->szTip));
}

typedef BOOL(WINAPI* ChangeWindowMessageFilterFn)(UINT message, DWORD flag);

}  // namespace

bool AddNotifyIcon(const TrayIcon& icon) {
  NOTIFYICONDATAA nid;
  FillRecord(icon, NIF_MESSAGE | NIF_ICON | NIF_TIP, &nid);
  // A busy taskbar may take an add whose answer timed out; the icon is then
  // there, and a modification succeeds.
  return Shell_NotifyIconA(NIM_ADD, &nid) != FALSE || Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

bool SetNotifyIconTip(const TrayIcon& icon) {
  NOTIFYICONDATAA nid;
  FillRecord(icon, NIF_TIP, &nid);
  return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

void DeleteNotifyIcon(const TrayIcon& icon) {
  NOTIFYICONDATAA nid;
  FillRecord(icon, 0, &nid);
  Shell_NotifyIconA(NIM_DELETE, &nid);
}

// The message filter function exists only on newer systems, so it is looked
// up at run time.
UINT ListenForTaskbarCreated() {
  UINT message = RegisterWindowMessageA("TaskbarCreated");
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (message == 0 || user32 == NULL) return message;
  ChangeWindowMessageFilterFn allow = reinterpret_cast<ChangeWindowMessageFilterFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")));
  const DWORD kAllowMessage = 1;  // MSGFLT_ADD
  if (allow != NULL) allow(message, kAllowMessage);
  return message;
}

}  // namespace host
