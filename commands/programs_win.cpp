// Commands that start programs or end the session: Run, RunWait (whose
// program the core then waits for) and Shutdown.
#include <string.h>

#include <windows.h>

#include "commands/handlers.h"
#include "script/params.h"
#include "script/text.h"
#include "windows/match.h"
#include "windows/wide_text_win.h"

namespace commands {

namespace {

// Show words of Run and RunWait; any other word shows the program normally.
struct ShowMode {
  const char* word;
  WORD show;
};

const ShowMode kShowModes[] = {
  {"hide", SW_HIDE},
  {"max", SW_SHOWMAXIMIZED},
  {"min", SW_MINIMIZE},
};

// ExitWindowsEx's force bit: the only flag Shutdown looks at itself.
const int kForceFlag = EWX_FORCE;

// The system Shutdown acts on (set by the installer).
const windows::SystemInfo* g_system;

WORD ShowValue(const char* word) {
  for (size_t i = 0; i < sizeof(kShowModes) / sizeof(kShowModes[0]); ++i) {
    if (script::EqualsNoCase(word, kShowModes[i].word)) return kShowModes[i].show;
  }
  return SW_SHOWNORMAL;
}

// Starts the program of a Run or RunWait line. The fields are: the command
// line; then, optionally, the working directory; then, optionally, the show
// mode. With two fields the directory is passed exactly as written; with three
// an empty directory means the runner's own.
bool RunProgram(script::Interp& in, script::Fields& f, bool wait) {
  // The A and W forms of the startup record differ only in the type of
  // their (unused, zero) text pointers.
  STARTUPINFOA startup;
  memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;

  // CreateProcess may write into the command line it is given, so it gets
  // this buffer of our own rather than a constant or a shared one.
  char command_line[script::kBufSize];
  script::CopyText(command_line, f.at[0], script::kBufSize);
  const char* working_dir = NULL;
  if (f.given == 2) {
    working_dir = f.at[1];
  } else if (f.given >= 3) {
    startup.wShowWindow = ShowValue(f.at[2]);
    if (f.at[1][0] != '\0') working_dir = f.at[1];
  }
  if (command_line[0] == '\0') return in.Fail("Failed to run program!");

  PROCESS_INFORMATION process;
  // The child gets the runner's environment block (null), so it sees every
  // script variable, ERRORLEVEL included.
  // A UTF-8 script's command line and directory go through the UTF-16 form;
  // CreateProcessW may write into the converted command line.
  BOOL started;
  if (Utf8Script()) {
    started = CreateProcessW(NULL, windows::Wide(command_line, 0), NULL, NULL, FALSE, 0, NULL,
                             windows::Wide(working_dir, 1),
                             reinterpret_cast<STARTUPINFOW*>(&startup), &process);
  } else {
    started = CreateProcessA(NULL, command_line, NULL, NULL, FALSE, 0, NULL, working_dir,
                             &startup, &process);
  }
  if (!started) {
    return in.Fail("Failed to run program!");
  }
  CloseHandle(process.hThread);
  if (!wait) {
    CloseHandle(process.hProcess);
    return true;
  }
  script::BeginRunWait(in, process.hProcess);
  return true;
}

// Run, program, working directory, show mode   e.g.  Run, notepad.exe readme.txt, C:\\Docs, max
// Starts the program and goes on with the next line at once.
bool CmdRun(script::Interp& in, script::Fields& f) { return RunProgram(in, f, false); }

// RunWait, program, working directory, show mode   e.g.  RunWait, setup.exe /quiet, , hide
// Starts the program and waits until it ends; ERRORLEVEL is then its exit code.
bool CmdRunWait(script::Interp& in, script::Fields& f) { return RunProgram(in, f, true); }

// On the NT family a process must enable the shutdown privilege of its own
// token before ExitWindowsEx does anything, a log-off included. True when it
// is enabled.
bool EnableShutdownPrivilege() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return false;
  }
  TOKEN_PRIVILEGES privileges;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool found = LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)
               != FALSE;
  // Trap: AdjustTokenPrivileges succeeds even when the token does not hold
  // the privilege; only GetLastError (ERROR_NOT_ALL_ASSIGNED) tells.
  bool adjusted = found && AdjustTokenPrivileges(token, FALSE, &privileges, 0, NULL, NULL);
  bool enabled = adjusted && GetLastError() == ERROR_SUCCESS;
  CloseHandle(token);
  return enabled;
}

// EnumWindows callback of the forced shutdown on the Windows 95 family: every
// top-level window but the host window is asked to close or has its process
// ended.
BOOL CALLBACK CloseEveryWindow(HWND window, LPARAM host_window) {
  if (window != reinterpret_cast<HWND>(host_window)) windows::CloseOrKillWindow(window);
  return TRUE;
}

// Shutdown, flags   e.g.  Shutdown, 5
// Logs off (0), shuts down (1), restarts (2) or powers off (8), plus 4 to
// force; the flags go to ExitWindowsEx as they are. The script stops at the
// next tick whatever the system answers.
bool CmdShutdown(script::Interp& in, script::Fields& f) {
  int flags = script::IntegerValue(f.at[0]);
  DWORD platform = g_system->platform;
  if (platform == VER_PLATFORM_WIN32_NT) {
    if (!EnableShutdownPrivilege()) return in.Fail("Shutdown: NT Security error!");
  } else if (platform == VER_PLATFORM_WIN32_WINDOWS && (flags & kForceFlag) != 0) {
    // On the 95 family the runner forces the end itself: every other window
    // is closed (or its process ended) first, and the system is then asked
    // without the force bit.
    flags &= ~kForceFlag;
    EnumWindows(CloseEveryWindow, reinterpret_cast<LPARAM>(g_system->host_window));
  }
  script::SetWaitState(in, script::kStopping);
  in.step_delay = 1;
  ExitWindowsEx(static_cast<UINT>(flags), 0);
  return true;
}

}  // namespace

void InstallProgramCommands(script::Interp& in, const windows::SystemInfo& system) {
  g_system = &system;
  script::SetHandler(in, script::CMD_RUN, CmdRun);
  script::SetHandler(in, script::CMD_RUNWAIT, CmdRunWait);
  script::SetHandler(in, script::CMD_SHUTDOWN, CmdShutdown);
}

}  // namespace commands
