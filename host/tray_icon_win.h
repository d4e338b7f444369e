// A window's icon in the taskbar's notification area, as the runner and the
// recorder show it, and the message a new taskbar announces itself with.
#ifndef KESTRO_HOST_TRAY_ICON_WIN_H
#define KESTRO_HOST_TRAY_ICON_WIN_H

#include <windows.h>

namespace host {

// What the icon is: whose it is, how it calls back, what it shows.
struct TrayIcon {
  HWND window;   // receives the callback message and owns the icon
  UINT id;       // tells the window's icons apart
  UINT message;  // sent to the window for mouse events on the icon
  HICON icon;
  const char* tip;  // the tooltip, at most 63 characters
};

// Adds the icon; true when the taskbar has it. Without a taskbar (at logon)
// the add fails and the caller may try again later.
bool AddNotifyIcon(const TrayIcon& icon);

// Shows the icon's current tip; false when the taskbar does not have the icon.
bool SetNotifyIconTip(const TrayIcon& icon);

// Removes the icon (harmless when the taskbar does not have it).
void DeleteNotifyIcon(const TrayIcon& icon);

// Registers "TaskbarCreated", the message a new taskbar broadcasts when it
// starts (Explorer restarted, holding none of the old icons), and lets it
// through to a program running with more rights than Explorer. Returns the
// message, or 0 when it could not be registered.
UINT ListenForTaskbarCreated();

}  // namespace host

#endif
