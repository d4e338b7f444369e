// Process-wide state of the host window, the tray icon and the run loop, and
// the hooks through which the window waits, RunWait and the Adlib walk plug
// into the run-timer tick.
#ifndef KESTRO_HOST_HOST_H
#define KESTRO_HOST_HOST_H

#include <windows.h>

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
  OSVERSIONINFOA os;        // platform id 2 = NT family, 1 = 95 family
  HWND window;              // host window: owns timers, tray icon, clipboard and boxes
  HWND status_edit;         // read-only view of the last executed line
  HWND splash;              // splash text window, hidden until SplashTextOn
  bool paused;              // set and cleared by the user through the menus
  bool tray_shown;          // the tray icon is currently added
  bool hidden;              // HideKestroWin On: the tray icon is never added
  bool timeout_expired;     // set by the wait timeout tick
  bool timeout_armed;       // set when a window wait arms the wait timeout timer
};

extern Host g_host;

// A poller runs on every tick while its wait state is current; the Adlib walk
// runs first on every unpaused tick and returns true when it ran a command.
typedef void (*WaitPoller)();
typedef bool (*AdlibWalker)();
void SetWaitPoller(int wait_state, WaitPoller poller);
void SetAdlibWalker(AdlibWalker walker);

// Registers the "Kestro" and "Kestro - Splash" window classes.
bool RegisterWindowClasses();

// Creates the host window (its WM_CREATE starts the run timer and makes the
// status edit and the hidden splash window).
HWND CreateHostWindow();

// Adds or removes the tray icon (adding does nothing while hidden or shown).
void AddTrayIcon();
void RemoveTrayIcon();

// Plugs the host's own commands (HideKestroWin and the platform commands that
// have no subsystem of their own yet) into the command table.
void InstallHostCommands();

// Reads the program's own file and loads the script container from it; on
// failure shows "Unable to open script file!" and returns false.
bool LoadOwnScript();

// Publishes A_SCRIPTFULLPATH, A_SCRIPTNAME, A_SCRIPTDIR, A_WORKINGDIR and A_OSTYPE.
void PublishBuiltins();

// Unattended mode: errors are written to a log instead of shown in a box.
void SetUnattended(const char* log_path);
bool Unattended();
bool ErrorReported();
void ReportLoadFailure();  // the loader's box, or its log line in unattended mode

}  // namespace host

#endif
