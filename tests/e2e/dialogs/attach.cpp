// dialogs attach
// Checks that a message box leaves no input attachment behind when the
// foreground moved while it was up. Window A (this thread) takes the
// foreground, so the runner attaches to this thread before its box; while the
// box is up, window B of a second thread takes the foreground; then the box is
// answered with OK. Afterwards this thread tries to detach itself from the
// runner's thread: that succeeds only when the attachment was left behind.
// Writes to attach.txt "foreground A=0|1 B=0|1 attachment=undone|left" and
// creates done.txt.
#include <stdio.h>

#include "dialogs.h"

namespace dialogs {

namespace {

const char kOutFile[] = "attach.txt";
const char kClass[] = "Kestro Test Focus";

HWND MakeWindow(const char* title) {
  HWND w = CreateWindowExA(0, kClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100,
                           NULL, NULL, GetModuleHandleA(NULL), NULL);
  SetForegroundWindow(w);
  return w;
}

// Thread B: its own window, brought to the foreground, kept alive until the end.
HWND g_window_b;
DWORD WINAPI SecondThread(LPVOID) {
  g_window_b = MakeWindow("B");
  Pump(kWaitMs);
  return 0;
}

}  // namespace

int CheckAttachment() {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = kClass;
  RegisterClassA(&wc);
  HWND window_a = MakeWindow("A");
  Pump(300);
  int a_in_front = GetForegroundWindow() == window_a;
  AppendLine("ready.txt", "ready");  // the script shows its box only now

  HWND box = WaitForDialog();
  if (!box) {
    AppendLine(kOutFile, "no dialog");
    return 1;
  }
  DWORD runner_thread = GetWindowThreadProcessId(box, NULL);
  CreateThread(NULL, 0, SecondThread, NULL, 0, NULL);
  Pump(500);
  int b_in_front = g_window_b && GetForegroundWindow() == g_window_b;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
  while (IsWindow(box)) Pump(kPollMs);
  Pump(500);

  bool left = AttachThreadInput(GetCurrentThreadId(), runner_thread, FALSE) != FALSE;
  static char line[128];
  sprintf(line, "foreground A=%d B=%d attachment=%s", a_in_front, b_in_front,
          left ? "left" : "undone");
  AppendLine(kOutFile, line);
  printf("dialogs: %s\n", line);
  AppendLine("done.txt", "done");
  return 0;
}

}  // namespace dialogs
