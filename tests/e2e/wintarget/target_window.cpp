// The test windows: each lives on its own thread, so one can stop answering
// messages while the others go on, and logs the messages a script causes.
#include "target_window.h"

#include <stdio.h>
#include <string.h>

namespace wintarget {

namespace {

const UINT_PTR kCloseTimer = 1;      // --close-after
const UINT_PTR kArmTimer = 2;        // activation behaviours start after this
const UINT kArmDelayMs = 300;
const UINT kVanishMessage = WM_APP + 1;
const int kChildHeight = 24;

CRITICAL_SECTION g_log_lock;
char g_log_path[MAX_PATH];

// Per-window state, kept in GWLP_USERDATA.
struct Target {
  const WindowRequest* req;
  int closes_refused;
  bool armed;       // set once the window is up, so creation does not count
  RECT last_rect;   // last logged position and size
  bool slowed;      // --slow-minimize: the slow minimise has happened
  DWORD forward_at; // tick count of the first activation after it (0: none yet)
};

void Log(const WindowRequest* req, const char* event) {
  EnterCriticalSection(&g_log_lock);
  FILE* f = fopen(g_log_path, "ab");
  if (f) {
    // One open per line, so whatever happens to the process the lines are on disk.
    fprintf(f, "%s: %s\n", req->name, event);
    fclose(f);
  }
  LeaveCriticalSection(&g_log_lock);
}

// "close", or with --report "close STATE [X,Y WxH]", and with --report-active
// " active" or " inactive" after it.
void LogClose(HWND window, const WindowRequest* req) {
  if (!req->report) {
    Log(req, "close");
    return;
  }
  char line[128];
  RECT r;
  GetWindowRect(window, &r);
  if (!IsWindowVisible(window)) strcpy(line, "close hidden");
  else if (IsIconic(window)) strcpy(line, "close minimized");
  else if (IsZoomed(window)) strcpy(line, "close maximized");
  else sprintf(line, "close normal %ld,%ld %ldx%ld", r.left, r.top, r.right - r.left,
               r.bottom - r.top);
  if (req->report_active) strcat(line, GetForegroundWindow() == window ? " active" : " inactive");
  Log(req, line);
}

void LogMove(HWND window, Target* target) {
  RECT r;
  if (!GetWindowRect(window, &r) || EqualRect(&r, &target->last_rect)) return;
  target->last_rect = r;
  char line[96];
  sprintf(line, "moved %ld,%ld %ldx%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
  Log(target->req, line);
}

void CreateChildren(HWND window, const WindowRequest* req, HINSTANCE instance) {
  for (int i = 0; i < req->child_count; ++i) {
    const Child& c = req->children[i];
    DWORD style = WS_CHILD | (c.hidden ? 0 : WS_VISIBLE);
    int y = 4 + i * kChildHeight;
    HWND parent = window;
    if (c.nested) {
      parent = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 4, y, 300, kChildHeight,
                               window, NULL, instance, NULL);
      y = 0;
    }
    CreateWindowExA(0, "STATIC", c.text, style, 4, y, 290, kChildHeight - 4, parent, NULL,
                    instance, NULL);
  }
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    CREATESTRUCTA* cs = reinterpret_cast<CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  Target* target = reinterpret_cast<Target*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (target == NULL) return DefWindowProcA(window, message, wparam, lparam);
  const WindowRequest* req = target->req;
  switch (message) {
    case WM_CLOSE:
      if (target->closes_refused < req->refuse_close) {
        ++target->closes_refused;
        Log(req, "close refused");
        return 0;
      }
      LogClose(window, req);
      DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      Log(req, req->refuse_session_end ? "queryendsession refused" : "queryendsession");
      return req->refuse_session_end ? FALSE : TRUE;
    case WM_ENDSESSION: {
      char line[32];
      sprintf(line, "endsession %d", wparam ? 1 : 0);
      Log(req, line);
      return 0;
    }
    case WM_SETTEXT: {
      if (!target->armed) break;
      char line[1100];
      // With --settle the line tells whether the title came at least that long
      // after the window came forward, the time the script gave it to settle.
      char settled[48] = "";
      if (req->settle_ms > 0 && target->forward_at != 0) {
        DWORD waited = GetTickCount() - target->forward_at;
        if (waited >= static_cast<DWORD>(req->settle_ms)) strcpy(settled, " (settled)");
        else sprintf(settled, " (too soon: %lu ms)", static_cast<unsigned long>(waited));
      }
      _snprintf(line, sizeof(line) - 1, "title %s%s", reinterpret_cast<const char*>(lparam),
                settled);
      line[sizeof(line) - 1] = '\0';
      Log(req, line);
      break;  // DefWindowProc stores the new title
    }
    case WM_COMMAND: {
      char line[32];
      sprintf(line, "command %u", static_cast<unsigned>(LOWORD(wparam)));
      Log(req, line);
      return 0;
    }
    case WM_WINDOWPOSCHANGED:
      if (target->armed && req->log_moves) LogMove(window, target);
      break;
    case WM_ACTIVATE:
      if (!target->armed || LOWORD(wparam) == WA_INACTIVE) break;
      if (target->slowed && target->forward_at == 0) {
        target->forward_at = GetTickCount();
        Log(req, "forward");
        // Past this window procedure's own WM_SETTEXT, which would log it.
        if (req->forward_title) DefWindowProcA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(req->forward_title));
      }
      // Destroying is posted: a window must not be destroyed inside its own activation.
      if (req->vanish_on_activate) PostMessageA(window, kVanishMessage, 0, 0);
      if (req->deflect) {
        HWND other = FindWindowA(NULL, req->deflect);
        if (other) SetForegroundWindow(other);
      }
      break;
    case WM_SIZE:
      if (target->armed && req->vanish_on_minimize && wparam == SIZE_MINIMIZED) DestroyWindow(window);
      // A program busy for a while: whoever minimised the window waits for it.
      if (target->armed && req->slow_minimize_ms > 0 && wparam == SIZE_MINIMIZED &&
          !target->slowed) {
        target->slowed = true;
        Sleep(static_cast<DWORD>(req->slow_minimize_ms));
      }
      break;
    case kVanishMessage:
      DestroyWindow(window);
      return 0;
    case WM_TIMER:
      if (wparam == kCloseTimer) {
        DestroyWindow(window);
      } else if (wparam == kArmTimer) {
        KillTimer(window, kArmTimer);
        target->armed = true;
        GetWindowRect(window, &target->last_rect);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Handles what is already queued, so that creation and showing are complete.
void DrainMessages() {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

void OpenLog(const char* path) {
  InitializeCriticalSection(&g_log_lock);
  lstrcpynA(g_log_path, path, sizeof(g_log_path));
}

bool RegisterClasses(const Options& options) {
  for (int i = 0; i < options.window_count; ++i) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = options.windows[i].class_name;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  return true;
}

DWORD WINAPI RunWindow(void* param) {
  const WindowRequest* req = static_cast<const WindowRequest*>(param);
  if (req->delay_ms > 0) Sleep(req->delay_ms);
  Target target;
  memset(&target, 0, sizeof(target));
  target.req = req;
  HINSTANCE instance = GetModuleHandleA(NULL);
  // A window that is to hang gets its title only once it can no longer
  // answer, so a script that finds it by title never finds it answering.
  const char* title = req->hang ? "" : req->title;
  HWND window = CreateWindowExA(0, req->class_name, title, WS_OVERLAPPEDWINDOW, req->x,
                                req->y, req->width, req->height, NULL, NULL, instance, &target);
  if (window == NULL) return 1;
  CreateChildren(window, req, instance);
  bool activates_elsewhere =
      req->vanish_on_activate || req->vanish_on_minimize || req->deflect != NULL;
  if (!req->hidden) {
    ShowWindow(window, activates_elsewhere ? SW_SHOWNOACTIVATE : SW_SHOW);
    if (!activates_elsewhere) SetForegroundWindow(window);
  }
  SetTimer(window, kArmTimer, kArmDelayMs, NULL);
  if (req->close_after_ms > 0) SetTimer(window, kCloseTimer, req->close_after_ms, NULL);
  if (req->hang) {
    DrainMessages();
    SetWindowTextA(window, req->title);  // own window: handled at once, no message is fetched
    Sleep(INFINITE);  // the process ends when its lifetime is over
  }
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace wintarget
