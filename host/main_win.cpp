// The runner's entry point: start-up in order, the message loop, and clean-up.
#include <windows.h>

#include "host/host.h"
#include "host/run_loop.h"
#include "script/interp.h"
#include "script/launch_args.h"

namespace host {
Host g_host;
script::Interp g_interp;
script::Services g_services;
}

using host::g_host;

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
  host::RegisterWindowClasses();

  const char* args = command_line ? command_line : "";
  script::LaunchOptions options;
  script::ParseLaunchOptions(args, &options);
  if (options.unattended) host::SetUnattended(options.log_path);
  script::PublishScriptArgs(host::g_services, args);

  if (!host::LoadOwnScript()) return ExitCode(0, false);
  g_host.system.utf8_script = host::g_interp.sections.utf8;
  host::PublishBuiltins();

  HWND window = host::CreateHostWindow();
  if (!window) {
    script::FreeInterp(host::g_interp);
    return ExitCode(0, true);
  }
  HMENU system_menu = GetSystemMenu(window, FALSE);
  AppendMenuA(system_menu, MF_SEPARATOR, 0, NULL);
  AppendMenuA(system_menu, MF_STRING, host::kSysPause, "Pause Script Execution");
  // Minimising hides the window into the tray (see the host's WM_SIZE).
  ShowWindow(window, SW_MINIMIZE);

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
