// The debugging runner's socket and what the debug channel asks of Windows:
// the window list for the "Waiting for" facts, and the error and box hooks.
#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/debug_win.h"
#include "host/host.h"
#include "script/debug_protocol.h"
#include "windows/match.h"
#include "windows/wide_text_win.h"

namespace host {

namespace {

SOCKET g_socket = INVALID_SOCKET;
bool g_tried;                 // the first tick has looked for a port
std::string g_inbox;          // bytes received after the last complete request
script::DebugSession g_session;
script::DebugHost g_debug_host;
// The services the channel stands in front of.
void (*g_show_error)(void*, int, const char*, const char*);
int (*g_message_box)(void*, const char*, const char*, unsigned int);

bool Utf8() { return g_interp.sections.utf8; }

// Text between the script's encoding and the protocol's UTF-8.
std::string Recode(const std::string& text, UINT from, UINT to) {
  if (text.empty()) return text;
  int wide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), NULL, 0);
  std::vector<wchar_t> units(static_cast<size_t>(wide) + 1);
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &units[0], wide);
  int bytes = WideCharToMultiByte(to, 0, &units[0], wide, NULL, 0, NULL, NULL);
  std::string out(static_cast<size_t>(bytes), '\0');
  if (bytes > 0) WideCharToMultiByte(to, 0, &units[0], wide, &out[0], bytes, NULL, NULL);
  return out;
}

// A UTF-16 name in the script's encoding.
std::string FromWide(const wchar_t* wide) {
  char text[1024];
  if (Utf8()) {
    windows::ToUtf8(wide, text, sizeof text);
  } else if (WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, NULL, NULL) == 0) {
    text[0] = '\0';
  }
  return text;
}

// Writes the whole message and its line end; the socket is non-blocking, so a
// full send buffer is waited out (a front end that reads nothing ends it).
void SendLine(void*, const std::string& message) {
  if (g_socket == INVALID_SOCKET) return;
  std::string line = (Utf8() ? message : Recode(message, CP_ACP, CP_UTF8)) + "\n";
  size_t done = 0;
  while (done < line.size()) {
    int sent = send(g_socket, line.data() + done, static_cast<int>(line.size() - done), 0);
    if (sent > 0) {
      done += static_cast<size_t>(sent);
      continue;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) return;
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(g_socket, &writable);
    timeval bound = {5, 0};
    if (select(0, NULL, &writable, NULL, &bound) <= 0) return;
  }
}

unsigned int NowMs(void*) { return GetTickCount(); }

// The file name of the program that owns a window, or "".
std::string ProcessName(HWND window) {
  typedef BOOL(WINAPI * QueryNameFn)(HANDLE, DWORD, LPWSTR, PDWORD);
  static QueryNameFn query = reinterpret_cast<QueryNameFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameW")));
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  if (query == NULL) return std::string();
  HANDLE process = OpenProcess(0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */, FALSE, id);
  if (process == NULL) return std::string();
  wchar_t path[MAX_PATH];
  DWORD size = MAX_PATH;
  bool ok = query(process, 0, path, &size) != 0;
  CloseHandle(process);
  if (!ok) return std::string();
  const wchar_t* name = path;
  for (const wchar_t* at = path; *at; ++at) {
    if (*at == L'\\' || *at == L'/') name = at + 1;
  }
  return FromWide(name);
}

void DescribeWindow(void*, script::WindowHandle handle, script::WindowFact* out) {
  HWND window = static_cast<HWND>(handle);
  static char title[script::kTextBufSize];
  windows::ReadTitle(window, title, sizeof title, Utf8());
  wchar_t window_class[256];
  if (GetClassNameW(window, window_class, 256) == 0) window_class[0] = L'\0';
  out->title = title;
  out->window_class = FromWide(window_class);
  out->process = ProcessName(window);
  out->visible = IsWindowVisible(window) != 0;
  out->handle = handle;
}

BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
  if (window == g_host.window) return TRUE;  // the runner's own window
  script::WindowFact fact;
  DescribeWindow(NULL, window, &fact);
  reinterpret_cast<std::vector<script::WindowFact>*>(list)->push_back(fact);
  return TRUE;
}

void ListWindows(void*, std::vector<script::WindowFact>* out) {
  out->clear();
  EnumWindows(AddWindow, reinterpret_cast<LPARAM>(out));
}

// A script error stops the session on its line instead of showing the box.
void DebugShowError(void* context, int line_number, const char* title, const char* message) {
  if (g_socket == INVALID_SOCKET) {
    g_show_error(context, line_number, title, message);
    return;
  }
  script::NoteError(g_session, line_number, message);
}

// A message box is something the script waits on; the session shows it so.
int DebugMessageBox(void* context, const char* title, const char* text, unsigned int flags) {
  script::NoteBox(g_session, g_interp, true);
  int button = g_message_box(context, title, text, flags);
  script::NoteBox(g_session, g_interp, false);
  return button;
}

// The front end is gone or asked for the end: the runner ends as when the
// tray menu's exit is chosen.
void EndRunner() {
  if (g_socket != INVALID_SOCKET) closesocket(g_socket);
  g_socket = INVALID_SOCKET;
  g_session.attached = false;
  RemoveTrayIcon();
  KillTimer(g_host.window, kRunTimer);
  KillTimer(g_host.window, kWaitTimeoutTimer);
  PostQuitMessage(0);
}

// Connects to the front end when the command line names a port. A runner
// that cannot connect runs its script as kestro.exe would.
void Connect() {
  g_tried = true;
  g_debug_host.context = NULL;
  g_debug_host.now_ms = NowMs;
  g_debug_host.send = SendLine;
  g_debug_host.list_windows = ListWindows;
  g_debug_host.describe_window = DescribeWindow;
  script::InitDebugSession(g_session, &g_debug_host);
  const char* line = GetCommandLineA();
  int port = script::ParseDebugPort(line ? line : "");
  if (port == 0) return;
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return;
  sockaddr_in address;
  ZeroMemory(&address, sizeof address);
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never another machine
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    closesocket(s);
    return;
  }
  BOOL no_delay = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&no_delay), sizeof no_delay);
  g_socket = s;
  WSAAsyncSelect(s, g_host.window, kDebugSocketMessage, FD_READ | FD_CLOSE);
  g_show_error = g_services.show_error;
  g_message_box = g_services.message_box;
  g_services.show_error = DebugShowError;
  g_services.message_box = DebugMessageBox;
  g_session.attached = true;
  SendLine(NULL, script::HelloMessage(g_interp));
}

}  // namespace

script::TickResult DebugRunTick() {
  if (!g_tried) Connect();
  return script::DebugTick(g_interp, g_session);
}

void OnDebugSocket(LPARAM event) {
  if (g_socket == INVALID_SOCKET) return;
  if (WSAGETSELECTEVENT(event) == FD_CLOSE) {
    EndRunner();
    return;
  }
  char buffer[4096];
  int got = recv(g_socket, buffer, sizeof buffer, 0);
  if (got == 0 || (got < 0 && WSAGetLastError() != WSAEWOULDBLOCK)) {
    EndRunner();
    return;
  }
  if (got > 0) g_inbox.append(buffer, static_cast<size_t>(got));
  size_t end;
  while ((end = g_inbox.find('\n')) != std::string::npos) {
    std::string request = g_inbox.substr(0, end);
    g_inbox.erase(0, end + 1);
    if (!Utf8()) request = Recode(request, CP_UTF8, CP_ACP);
    if (!script::HandleRequest(g_interp, g_session, request)) {
      EndRunner();
      return;
    }
  }
}

}  // namespace host
