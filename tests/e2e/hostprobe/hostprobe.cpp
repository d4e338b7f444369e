// hostprobe: drives a running script's host window through its menus and
// observes the effect (script progress, tray icon, window state, the menus'
// items), writing one verdict line per check into a file that the test case
// then compares.
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "menuread.h"

namespace {

const UINT kTrayMessage = WM_USER + 1;  // the host's tray callback message
const WPARAM kSysPause = 1, kSysResume = 2;
const WPARAM kTrayPause = 40001, kTrayExit = 40002;

FILE* g_out;

void Verdict(const char* text) {
  fprintf(g_out, "%s\n", text);
  fflush(g_out);
}

// Waits (bounded) for a window of the class.
HWND WaitWindow(const char* window_class, DWORD timeout_ms) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    HWND w = FindWindowA(window_class, NULL);
    if (w) return w;
    Sleep(50);
  }
  return NULL;
}

// Waits (bounded) for the host window of the script.
HWND WaitHost(DWORD timeout_ms) { return WaitWindow("Kestro", timeout_ms); }

long FileSize(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
  return static_cast<long>(data.nFileSizeLow);
}

// True when the file grows within the time given.
bool Grows(const char* path, DWORD within_ms) {
  long start = FileSize(path);
  for (DWORD waited = 0; waited < within_ms; waited += 50) {
    Sleep(50);
    if (FileSize(path) > start) return true;
  }
  return false;
}

// True when the file keeps its size for the whole time given.
bool Still(const char* path, DWORD for_ms) {
  long start = FileSize(path);
  Sleep(for_ms);
  return FileSize(path) == start;
}

bool WaitGone(HWND w, DWORD timeout_ms) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    if (!IsWindow(w)) return true;
    Sleep(50);
  }
  return false;
}

// Whether the host's tray icon is present: the shell accepts a modification
// (one that changes nothing) only of an icon it has.
HWND g_host_window;

long TrayIcons() {
  NOTIFYICONDATAA nid;
  memset(&nid, 0, sizeof(nid));
  nid.cbSize = 88;  // the first form of the record, as the runner uses
  nid.hWnd = g_host_window;
  nid.uID = 1;
  return Shell_NotifyIconA(NIM_MODIFY, &nid) ? 1 : 0;
}

// Polls until the tray icon count equals `want`, bounded.
bool WaitTray(long want, DWORD timeout_ms) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    if (TrayIcons() == want) return true;
    Sleep(50);
  }
  return false;
}

void Check(bool ok, const char* good, const char* bad) { Verdict(ok ? good : bad); }

// pause: pause the script, check it stands still, resume, check it moves on,
// then end it with the tray menu's Exit.
int Pause(bool via_tray, const char* grow) {
  HWND host = WaitHost(10000);
  if (!host) return Verdict("no host window"), 1;
  Check(Grows(grow, 10000), "running", "not running");
  if (via_tray)
    PostMessageA(host, WM_COMMAND, kTrayPause, 0);
  else
    PostMessageA(host, WM_SYSCOMMAND, kSysPause, 0);
  Sleep(300);  // a tick already under way may still write
  Check(Still(grow, 800), "paused", "not paused");
  if (via_tray)
    PostMessageA(host, WM_COMMAND, kTrayPause, 0);
  else
    PostMessageA(host, WM_SYSCOMMAND, kSysResume, 0);
  Check(Grows(grow, 3000), "resumed", "not resumed");
  PostMessageA(host, WM_COMMAND, kTrayExit, 0);
  Check(WaitGone(host, 5000), "exited", "did not exit");
  return 0;
}

// True when the file exists within the time given.
bool Appears(const char* path, DWORD within_ms) {
  for (DWORD waited = 0; waited < within_ms; waited += 50) {
    if (FileSize(path) >= 0) return true;
    Sleep(50);
  }
  return false;
}

// True when the file holds at least `size` bytes within the time given.
bool Reaches(const char* path, long size, DWORD within_ms) {
  for (DWORD waited = 0; waited < within_ms; waited += 50) {
    if (FileSize(path) >= size) return true;
    Sleep(50);
  }
  return false;
}

// hold: the script writes its first line and then stands still (a long
// Sleep) until the tray menu's Exit ends it.
int Hold(const char* grow) {
  HWND host = WaitHost(10000);
  if (!host) return Verdict("no host window"), 1;
  Check(Appears(grow, 10000), "running", "not running");
  Sleep(300);
  Check(Still(grow, 1500), "held", "not held");
  PostMessageA(host, WM_COMMAND, kTrayExit, 0);
  Check(WaitGone(host, 5000), "exited", "did not exit");
  return 0;
}

// taskbar: the taskbar loses the script's icon (as when Explorer restarts and
// comes back without the old icons), then announces itself again; the icon
// must come back. Then the tray menu's Exit ends the script. rec-taskbar does
// the same to kestro-rec's icon (id 1 as well) and ends it by closing its window.
int Taskbar(bool recorder) {
  HWND host = recorder ? WaitWindow("KestroRecorder", 10000) : WaitHost(10000);
  if (!host) return Verdict("no host window"), 1;
  g_host_window = host;
  Check(WaitTray(1, 5000), "icon shown", "icon not shown");
  NOTIFYICONDATAA nid;
  memset(&nid, 0, sizeof(nid));
  nid.cbSize = 88;
  nid.hWnd = host;
  nid.uID = 1;
  Shell_NotifyIconA(NIM_DELETE, &nid);
  Check(WaitTray(0, 2000), "icon lost", "icon not lost");
  PostMessageA(host, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  Check(WaitTray(1, 5000), "icon back", "icon not back");
  if (recorder)
    PostMessageA(host, WM_CLOSE, 0, 0);
  else
    PostMessageA(host, WM_COMMAND, kTrayExit, 0);
  Check(WaitGone(host, 5000), "exited", "did not exit");
  return 0;
}

// window: a double click on the tray icon brings the window back (and takes
// the icon away), minimising puts it back into the tray, and closing it with
// Break on ends the script.
int Window() {
  HWND host = WaitHost(10000);
  if (!host) return Verdict("no host window"), 1;
  g_host_window = host;
  Check(WaitTray(1, 5000), "in the tray", "not in the tray");
  Check(!IsWindowVisible(host), "window hidden", "window visible");
  PostMessageA(host, kTrayMessage, 1, WM_LBUTTONDBLCLK);
  Check(WaitTray(0, 5000), "icon gone", "icon still there");
  Check(IsWindowVisible(host) && !IsIconic(host), "window restored", "window not restored");
  PostMessageA(host, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Check(WaitTray(1, 5000), "icon back", "icon not back");
  Check(!IsWindowVisible(host), "window hidden again", "window still visible");
  PostMessageA(host, WM_CLOSE, 0, 0);
  Check(WaitGone(host, 5000), "closed", "not closed");
  return 0;
}

// break-off: with Break off, closing, pausing and the tray's Exit do nothing.
int BreakOff(const char* grow) {
  HWND host = WaitHost(10000);
  if (!host) return Verdict("no host window"), 1;
  Check(Grows(grow, 10000), "running", "not running");
  Sleep(300);  // let the script's Break line run
  PostMessageA(host, WM_CLOSE, 0, 0);
  Sleep(300);
  Check(IsWindow(host) != FALSE, "close ignored", "closed");
  PostMessageA(host, WM_SYSCOMMAND, kSysPause, 0);
  Sleep(300);
  Check(Grows(grow, 2000), "pause ignored", "paused");
  PostMessageA(host, WM_COMMAND, kTrayPause, 0);
  Sleep(300);
  Check(Grows(grow, 2000), "tray pause ignored", "paused from tray");
  PostMessageA(host, WM_COMMAND, kTrayExit, 0);
  Sleep(300);
  Check(IsWindow(host) && Grows(grow, 2000), "exit ignored", "exited");
  return 0;
}

// hide: the script hides itself (tray icon gone, window hidden), minimising
// and restoring it meanwhile brings nothing back, and it then brings the icon
// back.
int Hide() {
  HWND host = WaitHost(10000);
  if (!host) return Verdict("no host window"), 1;
  g_host_window = host;
  Check(WaitTray(1, 5000), "icon shown", "icon not shown");
  Check(WaitTray(0, 5000), "icon removed", "icon not removed");
  Check(!IsWindowVisible(host), "window hidden", "window visible");
  PostMessageA(host, WM_SYSCOMMAND, SC_RESTORE, 0);
  Sleep(200);
  PostMessageA(host, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Sleep(200);
  Check(TrayIcons() == 0, "still no icon", "icon came back");
  Check(WaitTray(1, 8000), "icon back", "icon not back");
  return 0;
}

// The menus, read inside the script's process by menuread (a library this
// program loads there with a thread that runs LoadLibraryA).
MenuReadShared* g_menus;

// Whether the process runs as a 32-bit program on 64-bit Windows.
bool IsWow64(HANDLE process) {
  BOOL wow64 = FALSE;
  return IsWow64Process(process, &wow64) && wow64;
}

// "" when menuread serves in the script's process, else what went wrong.
const char* LoadMenuReader(HWND host) {
  DWORD pid = 0;
  GetWindowThreadProcessId(host, &pid);
  char name[64];
  snprintf(name, sizeof name, kMenuReadMapping, static_cast<unsigned long>(pid));
  HANDLE mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(MenuReadShared), name);
  if (!mapping) return "menu reader: no shared memory";
  g_menus = static_cast<MenuReadShared*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(MenuReadShared)));
  if (!g_menus) return "menu reader: no shared memory";
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
  char* slash = strrchr(path, '\\');
  static const char kLibrary[] = "menuread.dll";  // beside this program
  if (n == 0 || n >= MAX_PATH || !slash || static_cast<size_t>(slash + 1 - path) + sizeof kLibrary > MAX_PATH)
    return "menu reader: path too long";
  memcpy(slash + 1, kLibrary, sizeof kLibrary);
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                   PROCESS_VM_WRITE | PROCESS_VM_READ,
                               FALSE, pid);
  if (!process) return "menu reader: cannot open the script's process";
  // A library loads only into a process of its own kind, and the address of
  // LoadLibraryA below is valid only there.
  if (IsWow64(process) != IsWow64(GetCurrentProcess())) {
    CloseHandle(process);
    return "menu reader: the script's process is of another bitness";
  }
  SIZE_T size = strlen(path) + 1;
  void* remote = VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  HANDLE thread = NULL;
  if (remote && WriteProcessMemory(process, remote, path, size, NULL)) {
    // kernel32 sits at the same address in every process of one kind.
    // (Through void (*)(), the type meant for casts between function types.)
    FARPROC load = GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA");
    LPTHREAD_START_ROUTINE start =
        reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(load));
    thread = CreateRemoteThread(process, NULL, 0, start, remote, 0, NULL);
  }
  CloseHandle(process);
  if (!thread) return "menu reader: cannot start a thread in the script's process";
  CloseHandle(thread);
  // Loaded and serving once its own thread has mapped the shared block.
  for (DWORD waited = 0; waited < 5000; waited += 20) {
    if (InterlockedCompareExchange(&g_menus->ready, 0, 0)) return "";
    Sleep(20);
  }
  return "menu reader: not serving";
}

// The menus as menuread describes them now; "" when it does not answer in time.
void ReadMenus(char* out, size_t size) {
  out[0] = '\0';
  LONG wanted = InterlockedIncrement(&g_menus->request);
  for (DWORD waited = 0; waited < 3000; waited += 20) {
    if (InterlockedCompareExchange(&g_menus->done, 0, 0) == wanted) {
      lstrcpynA(out, g_menus->text, static_cast<int>(size));
      return;
    }
    Sleep(20);
  }
}

// Polls until the described menus contain (or, with `present` false, lack)
// `needle`; leaves the last description in `out`.
bool WaitMenus(const char* needle, bool present, char* out, size_t size, DWORD timeout_ms) {
  for (DWORD waited = 0;; waited += 50) {
    ReadMenus(out, size);
    if ((strstr(out, needle) != NULL) == present) return true;
    if (waited >= timeout_ms) return false;
    Sleep(50);
  }
}

// The line of the description that starts with `prefix`, as a verdict.
void MenuVerdict(const char* menus, const char* prefix) {
  const char* at = strstr(menus, prefix);
  if (!at) {
    fprintf(g_out, "%sabsent\n", prefix);
    fflush(g_out);
    return;
  }
  const char* end = strchr(at, '\n');
  size_t length = end ? static_cast<size_t>(end - at) : strlen(at);
  fprintf(g_out, "%.*s\n", static_cast<int>(length), at);
  fflush(g_out);
}

void SystemMenuVerdict() {
  char menus[4096];
  ReadMenus(menus, sizeof menus);
  MenuVerdict(menus, "system: ");
}

// The open pop-up menu of the script's process.
HWND OpenPopupOf(HWND host) {
  DWORD pid = 0;
  GetWindowThreadProcessId(host, &pid);
  return FindProcessWindow(pid, "#32768");
}

// Opens the tray menu as a right click on the icon does, reports its items
// (and, given a file the script writes, whether it keeps running meanwhile),
// then closes it with Escape as a user would.
void TrayMenuVerdict(HWND host, const char* grow = NULL) {
  char menus[4096];
  PostMessageA(host, kTrayMessage, 1, WM_RBUTTONDOWN);
  WaitMenus("popup: ", true, menus, sizeof menus, 5000);
  MenuVerdict(menus, "popup: ");
  if (grow) Check(Grows(grow, 2000), "runs with the menu open", "stands with the menu open");
  HWND popup = OpenPopupOf(host);
  if (popup) PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
  Check(WaitMenus("popup: ", false, menus, sizeof menus, 5000), "menu closed", "menu still open");
}

// menus: the system menu's last item and the tray menu's items as the user
// sees them while running, while paused, and while Break is off (the script
// turns it off while the file off.flag exists, and marks each such pass of its
// loop in off-seen.txt).
int Menus(const char* grow) {
  HWND host = WaitHost(10000);
  if (!host) return Verdict("no host window"), 1;
  Check(Grows(grow, 10000), "running", "not running");
  const char* failure = LoadMenuReader(host);
  if (*failure) {
    Verdict(failure);
    PostMessageA(host, WM_COMMAND, kTrayExit, 0);  // end the script rather than wait for the timeout
    return 1;
  }
  char menus[4096];
  SystemMenuVerdict();
  TrayMenuVerdict(host, grow);

  PostMessageA(host, WM_SYSCOMMAND, kSysPause, 0);
  WaitMenus("Resume", true, menus, sizeof menus, 3000);
  Sleep(300);  // a tick already under way may still write
  Check(Still(grow, 800), "paused", "not paused");
  SystemMenuVerdict();
  TrayMenuVerdict(host);

  PostMessageA(host, WM_COMMAND, kTrayPause, 0);
  Check(Grows(grow, 3000), "resumed", "not resumed");
  SystemMenuVerdict();

  FILE* flag = fopen("off.flag", "wb");
  if (flag) fclose(flag);
  // The second mark comes from a pass of the loop that found the flag at its
  // Break line too.
  Check(Reaches("off-seen.txt", 2, 5000), "break off", "break not off");
  TrayMenuVerdict(host);
  PostMessageA(host, WM_SYSCOMMAND, kSysPause, 0);
  Sleep(300);
  Check(Grows(grow, 2000), "pause ignored", "paused");
  SystemMenuVerdict();

  DeleteFileA("off.flag");
  // Exit works again once the script has turned Break back on.
  bool gone = false;
  for (int i = 0; i < 20 && !gone; ++i) {
    PostMessageA(host, WM_COMMAND, kTrayExit, 0);
    gone = WaitGone(host, 250);
  }
  Check(gone, "exited", "did not exit");
  return 0;
}

// hung: the script waits, round after round, on windows whose programs hang
// (one character in the file per round of waits, each ending at its 1 s
// timeout). It must keep that pace, answer messages at once, open its tray
// menu, and be gone within a second of the tray menu's Exit.
int Hung(const char* grow) {
  HWND host = WaitHost(10000);
  if (!host) return Verdict("no host window"), 1;
  Check(Appears(grow, 15000), "running", "not running");
  Check(Reaches(grow, FileSize(grow) + 2, 6000), "keeps its pace", "lost its pace");
  DWORD worst = 0;
  for (int i = 0; i < 20; ++i) {
    DWORD start = GetTickCount();
    DWORD_PTR result;
    if (!SendMessageTimeoutA(host, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result)) worst = 3000;
    DWORD took = GetTickCount() - start;
    if (took > worst) worst = took;
    Sleep(50);
  }
  Check(worst < 300, "answers at once", "answers slowly");
  PostMessageA(host, kTrayMessage, 1, WM_RBUTTONDOWN);
  HWND popup = NULL;
  for (DWORD waited = 0; waited < 2000 && !popup; waited += 50) {
    Sleep(50);
    popup = OpenPopupOf(host);
  }
  Check(popup != NULL, "tray menu shown", "no tray menu");
  if (popup) PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
  Sleep(300);
  DWORD pid = 0;
  GetWindowThreadProcessId(host, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  PostMessageA(host, WM_COMMAND, kTrayExit, 0);
  Check(process && WaitForSingleObject(process, 1000) == WAIT_OBJECT_0, "exited within a second",
        "still running a second after Exit");
  if (process) CloseHandle(process);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // hostprobe OUTFILE pause-sys|pause-tray|break-off|hide|hold|taskbar|rec-taskbar|window|menus|hung [GROWFILE]
  if (argc < 3) {
    fprintf(stderr, "usage: hostprobe OUT pause-sys|pause-tray|break-off|hide|hold|taskbar|rec-taskbar|window|menus|hung [FILE]\n");
    return 2;
  }
  g_out = fopen(argv[1], "wb");
  if (!g_out) return 2;
  const char* what = argv[2];
  const char* grow = argc > 3 ? argv[3] : "";
  int rc = 2;
  if (!strcmp(what, "pause-sys")) rc = Pause(false, grow);
  else if (!strcmp(what, "pause-tray")) rc = Pause(true, grow);
  else if (!strcmp(what, "break-off")) rc = BreakOff(grow);
  else if (!strcmp(what, "hide")) rc = Hide();
  else if (!strcmp(what, "hold")) rc = Hold(grow);
  else if (!strcmp(what, "taskbar")) rc = Taskbar(false);
  else if (!strcmp(what, "rec-taskbar")) rc = Taskbar(true);
  else if (!strcmp(what, "window")) rc = Window();
  else if (!strcmp(what, "menus")) rc = Menus(grow);
  else if (!strcmp(what, "hung")) rc = Hung(grow);
  fclose(g_out);
  return rc;
}
