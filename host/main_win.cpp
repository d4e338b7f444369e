// The runner's entry point: start-up in order, the message loop, and clean-up.
#include <windows.h>

#include "host/host.h"
#include "host/run_loop.h"
#include "script/interp.h"
#include "script/launch_args.h"
#include "windows/wide_text_win.h"

namespace host {
Host g_host;
script::Interp g_interp;
script::Services g_services;
}

using host::g_host;

// The command line after the program's name, skipped the way the C runtime
// skips it for WinMain: a quoted name up to its closing quote, else up to the
// first blank.
static const wchar_t* SkipProgramName(const wchar_t* line) {
  if (*line == L'"') {
    for (++line; *line && *line != L'"'; ++line) {}
    if (*line) ++line;
  } else {
    while (*line > L' ') ++line;
  }
  while (*line && *line <= L' ') ++line;
  return line;
}

// Publishes the script arguments in the script's own text: a UTF-8 script
// takes them from the UTF-16 command line, so that every character arrives;
// an ANSI script from the ANSI command line, as it always has.
static void PublishArgs(const char* ansi_args) {
  if (!host::g_interp.sections.utf8) {
    script::PublishScriptArgs(host::g_services, ansi_args);
    return;
  }
  // A command line holds at most 32767 UTF-16 units, each at most three bytes.
  static char args[3 * 32768];
  windows::ToUtf8(SkipProgramName(GetCommandLineW()), args, sizeof(args));
  script::PublishScriptArgs(host::g_services, args, true);
  // The log path, too, may hold characters the ANSI command line lost.
  script::LaunchOptions options;
  script::ParseLaunchOptions(args, &options, true);
  if (options.unattended) host::SetUnattended(options.log_path);
}

// Exit code: 0 on every path, unless unattended mode asks to tell a script
// error (1) or a script that could not be loaded (2) apart.
static int ExitCode(int loop_result, bool loaded) {
  if (!host::Unattended()) return loop_result;
  if (!loaded) return 2;
  return host::g_interp.halted ? 1 : 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  g_host.instance = instance;
  OSVERSIONINFOA os;
  os.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);  // 148 bytes
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // GetVersionExA is deprecated but tells the platform id
#endif
  GetVersionExA(&os);
  g_host.system.platform = os.dwPlatformId;
  g_host.system.major = os.dwMajorVersion;

  host::FillServices(&host::g_services);
  script::InitInterp(host::g_interp, &host::g_services);
  host::InstallAllCommands(host::g_interp);

  const char* args = command_line ? command_line : "";
  script::LaunchOptions options;
  script::ParseLaunchOptions(args, &options);
  if (options.unattended) host::SetUnattended(options.log_path);

  // The script's encoding decides how the arguments are read, so they are
  // published once it is loaded.
  if (!host::LoadOwnScript()) return ExitCode(0, false);
  PublishArgs(args);
  host::RegisterWindowClasses();  // the splash window's class follows the script's encoding
  host::PublishBuiltins();

  HWND window = host::CreateHostWindow();
  if (!window) {
    script::FreeInterp(host::g_interp);
    return ExitCode(0, true);
  }
  HMENU system_menu = GetSystemMenu(window, FALSE);
  AppendMenuA(system_menu, MF_SEPARATOR, 0, NULL);
  AppendMenuA(system_menu, MF_STRING, host::kSysPause, "Pause Script Execution");
  // The window was made minimised and hidden, where minimising puts it (see
  // the host's WM_SIZE): so it only needs its tray icon. Showing it minimised
  // to hide it again at once would cost the window system a round trip.
  host::AddTrayIcon();

  MSG msg;
  msg.wParam = 0;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  host::RestoreTimerResolution();
  script::FreeInterp(host::g_interp);
  return ExitCode(static_cast<int>(msg.wParam), true);
}
