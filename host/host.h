// Process-wide state of the host window and the tray icon, the interpreter
// the host runs, and the start-up steps that wire the runner together.
#ifndef KESTRO_HOST_HOST_H
#define KESTRO_HOST_HOST_H

#include <windows.h>

#include "script/interp.h"
#include "windows/system_win.h"

namespace host {

// Timer ids and the tray icon's callback message.
const UINT_PTR kRunTimer = 1;          // drives one script step per tick
const UINT_PTR kWaitTimeoutTimer = 2;  // fires once when a window wait times out
const UINT kTrayMessage = WM_USER + 1; // 1025: mouse messages from the tray icon
const UINT kTrayIconId = 1;

// System-menu items and tray-menu commands.
const UINT kSysPause = 1;
const UINT kSysResume = 2;
const UINT kTrayPauseCommand = 40001;
const UINT kTrayExitCommand = 40002;

struct Host {
  HINSTANCE instance;       // for icons, the tray menu and the dialogs
  windows::SystemInfo system;  // OS platform and version, and the host window again,
                               // for the command files
  HWND window;              // host window: owns timers, tray icon, clipboard and boxes
  HWND status_edit;         // read-only view of the last executed line
  bool tray_shown;          // the tray icon is currently added
  bool tray_wanted;         // the icon should be there (the window is in the tray)
  bool tray_attempted;      // an add was sent since the last delete, confirmed or not
  DWORD tray_tried_at;      // tick count of the last attempt to add it
  bool hidden;              // HideKestroWin On: the tray icon is never added
};

extern Host g_host;

// The one interpreter of the runner, and the services it reaches the system through.
extern script::Interp g_interp;
extern script::Services g_services;

// Fills the services with the Win32 implementations (host/platform_win.cpp).
void FillServices(script::Services* sys);

// Registers the "Kestro" and "Kestro - Splash" window classes.
bool RegisterWindowClasses();

// Creates the host window (its WM_CREATE starts the run timer and makes the
// status edit and the hidden splash window).
HWND CreateHostWindow();

// Adds or removes the tray icon (adding does nothing while hidden or shown).
void AddTrayIcon();
void RemoveTrayIcon();

// The taskbar was (re)created, as when Explorer restarts: it holds none of
// the old icons, so ours is added again if it should be there.
void OnTaskbarCreated();

// Tries again, at most every two seconds, to add an icon that should be there but
// whose adding failed (at logon, before the taskbar exists).
void RetryTrayIcon();

// Plugs every command into the interpreter: the core's, the host's own
// (HideKestroWin) and those of the windows, input and commands folders.
void InstallAllCommands(script::Interp& in);

// Reads the program's own file and loads the script container from it; on
// failure shows "Unable to open script file!" and returns false.
bool LoadOwnScript();

// Publishes A_SCRIPTFULLPATH, A_SCRIPTNAME, A_SCRIPTDIR, A_WORKINGDIR and A_OSTYPE.
void PublishBuiltins();

// Unattended mode: errors are written to a log instead of shown in a box.
void SetUnattended(const char* log_path);
bool Unattended();
// The loader's box "Unable to open script file!" (or another message that
// stops the script at load), or its log line in unattended mode.
void ReportLoadFailure(const char* message = "Unable to open script file!");

}  // namespace host

#endif
