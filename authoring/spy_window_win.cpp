// The spy's live window. A timer samples the pointer ten times a second; the
// panel shows the window and control under it, the texts the matcher would
// test there and the position as the mouse commands count it. Buttons copy a
// ready script line; the lower panel lists what a title and text would match.
// The window and its controls are Unicode (W functions), so titles and texts
// in any language show and copy as they are.
#include "authoring/spy_window_win.h"

#include <string.h>
#include <wchar.h>
#include <windows.h>

#include <string>

#include "authoring/script_line.h"
#include "authoring/spy_facts.h"
#include "authoring/spy_probe_win.h"
#include "script/limits.h"

namespace authoring {

namespace {

const wchar_t kClassName[] = L"KestroSpy";
const wchar_t kTitle[] = L"Kestro Spy";

// Control ids.
enum {
  kIdInfo = 100,
  kIdMode,
  kIdHidden,
  kIdFreeze,
  kIdCopyWait,
  kIdCopyActivate,
  kIdCopyClick,
  kIdMatchTitle,
  kIdMatchText,
  kIdMatchList,
  kIdMatchSummary,
  kIdStatus
};

const UINT_PTR kTimerSample = 1;  // samples the pointer
const UINT kSampleMs = 100;
const int kMatchEveryTicks = 10;  // the match list is made again once a second
const int kHotkeyFreeze = 1;      // Ctrl+Alt+F

// The client area's size and the margin around the controls.
const int kWidth = 460;
const int kHeight = 610;
const int kMargin = 8;

// The live window and what it shows.
struct Spy {
  HWND window;
  HWND info;    // the multi-line panel of facts
  HWND mode;    // title match mode, 1 or 2
  HWND hidden;  // hidden text check box
  HWND freeze;  // freeze check box
  HWND match_title, match_text, match_list, match_summary;
  HWND status;  // what was copied last
  HFONT font;
  bool frozen;
  bool has_facts;      // a sample has been taken
  PointFacts facts;    // the sample on display
  std::string shown;   // the panel's text
  std::string listed;  // the match list's lines, joined
  int ticks;
};

Spy g_spy;

HWND Make(const wchar_t* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
  HWND control = CreateWindowExW(
      wcscmp(cls, L"EDIT") == 0 || wcscmp(cls, L"LISTBOX") == 0 ? WS_EX_CLIENTEDGE : 0, cls,
      ToWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, g_spy.window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(NULL), NULL);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_spy.font), FALSE);
  return control;
}

// Shows UTF-8 text in a window or control.
void SetText(HWND window, const std::string& text) {
  SetWindowTextW(window, ToWide(text).c_str());
}

int Mode() { return SendMessageW(g_spy.mode, CB_GETCURSEL, 0, 0) == 1 ? 2 : 1; }

bool Hidden() { return SendMessageW(g_spy.hidden, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A control's text in UTF-8; at most as many characters as a field holds.
std::string TextOf(HWND control) {
  wchar_t text[script::kBufSize];
  text[0] = L'\0';
  GetWindowTextW(control, text, script::kBufSize);
  return FromWide(text);
}

void ShowFacts() {
  if (!g_spy.has_facts) return;
  std::string text = PointDisplay(g_spy.facts, Hidden());
  if (text == g_spy.shown) return;  // setting the same text again would flicker
  g_spy.shown = text;
  SetText(g_spy.info, text);
}

// The "What will match" list: every window the matcher examines, in order.
void RefreshMatch() {
  MatchFacts m;
  m.title = TextOf(g_spy.match_title);
  m.text = TextOf(g_spy.match_text);
  m.mode = Mode();
  m.hidden = Hidden();
  ProbeMatch(&m);
  std::string joined;
  for (size_t i = 0; i < m.windows.size(); ++i) {
    joined += VerdictLine(m.windows[i], m.matched && i + 1 == m.windows.size()) + "\n";
  }
  joined += MatchSummary(m);
  if (joined == g_spy.listed) return;
  g_spy.listed = joined;
  SendMessageW(g_spy.match_list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(g_spy.match_list, LB_RESETCONTENT, 0, 0);
  for (size_t i = 0; i < m.windows.size(); ++i) {
    std::wstring line = ToWide(VerdictLine(m.windows[i], m.matched && i + 1 == m.windows.size()));
    SendMessageW(g_spy.match_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  SendMessageW(g_spy.match_list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(g_spy.match_list, NULL, TRUE);
  SetText(g_spy.match_summary, MatchSummary(m));
}

void SetFrozen(bool frozen) {
  g_spy.frozen = frozen;
  SendMessageW(g_spy.freeze, BM_SETCHECK, frozen ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Puts one line on the clipboard as Unicode text (Windows gives it to
// programs that ask for ANSI text as well), and says so in the status line.
void Copy(const std::string& line) {
  if (!OpenClipboard(g_spy.window)) {
    SetText(g_spy.status, "The clipboard is busy; nothing was copied.");
    return;
  }
  EmptyClipboard();
  std::wstring wide = ToWide(line);
  size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory) {
    memcpy(GlobalLock(memory), wide.c_str(), bytes);
    GlobalUnlock(memory);
    // The clipboard owns the memory once SetClipboardData succeeds.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
  SetText(g_spy.status, "Copied: " + line);
}

void OnCopy(int id) {
  if (!g_spy.has_facts || !g_spy.facts.has_window) {
    SetText(g_spy.status, "Point at a window first.");
    return;
  }
  const PointFacts& f = g_spy.facts;
  if (id == kIdCopyWait) {
    // The proposed line, with the setting it needs before it.
    Proposal p = ProposeWait(f, Hidden());
    Copy((p.needs_accessible ? "DetectAccessibleText, On\r\n" : "") + WinWaitLine(LineTitle(f), p.text));
  } else if (id == kIdCopyActivate) {
    Copy(WinActivateLine(LineTitle(f)));
  } else {
    Copy(PointLine("LeftClick", f.rel_x, f.rel_y));
  }
}

// Samples the pointer, unless frozen or over the spy itself (then the last
// sample stays, so a copy button copies what was pointed at before).
void OnTimer() {
  if (++g_spy.ticks % kMatchEveryTicks == 0) RefreshMatch();
  if (g_spy.frozen) return;
  POINT p;
  if (!GetCursorPos(&p)) return;
  HWND hit = WindowFromPoint(p);
  if (hit && GetAncestor(hit, GA_ROOT) == g_spy.window) return;
  ProbePoint(static_cast<int>(p.x), static_cast<int>(p.y), Mode(), Hidden(), g_spy.window,
             &g_spy.facts);
  g_spy.has_facts = true;
  ShowFacts();
}

void OnCommand(int id, int code) {
  switch (id) {
    case kIdCopyWait:
    case kIdCopyActivate:
    case kIdCopyClick: OnCopy(id); break;
    case kIdFreeze:
      g_spy.frozen = SendMessageW(g_spy.freeze, BM_GETCHECK, 0, 0) == BST_CHECKED;
      break;
    case kIdHidden:
      ShowFacts();
      RefreshMatch();
      break;
    case kIdMode:
      if (code == CBN_SELCHANGE) RefreshMatch();
      break;
    case kIdMatchTitle:
    case kIdMatchText:
      if (code == EN_CHANGE) RefreshMatch();
      break;
  }
}

void CreateControls() {
  int x = kMargin, y = kMargin, w = kWidth - 2 * kMargin;
  g_spy.info =
      Make(L"EDIT", "Move the pointer over a window.",
           ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, x, y, w, 220, kIdInfo);
  int tab = 44;  // dialog units: the field names' column
  SendMessageW(g_spy.info, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
  y += 228;
  Make(L"STATIC", "Match mode:", 0, x, y + 4, 86, 20, 0);
  g_spy.mode = Make(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP, x + 88, y, 164, 100, kIdMode);
  SendMessageW(g_spy.mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"1: title starts with"));
  SendMessageW(g_spy.mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"2: title contains"));
  SendMessageW(g_spy.mode, CB_SETCURSEL, 0, 0);
  g_spy.hidden = Make(L"BUTTON", "DetectHiddenText On", BS_AUTOCHECKBOX | WS_TABSTOP, x + 266, y + 2,
                      180, 20, kIdHidden);
  y += 28;
  g_spy.freeze =
      Make(L"BUTTON", "Freeze (Ctrl+Alt+F)", BS_AUTOCHECKBOX | WS_TABSTOP, x, y, 200, 20, kIdFreeze);
  y += 26;
  int bw = (w - 2 * kMargin) / 3;
  Make(L"BUTTON", "Copy WinWait", BS_PUSHBUTTON | WS_TABSTOP, x, y, bw, 26, kIdCopyWait);
  Make(L"BUTTON", "Copy WinActivate", BS_PUSHBUTTON | WS_TABSTOP, x + bw + kMargin, y, bw, 26,
       kIdCopyActivate);
  Make(L"BUTTON", "Copy LeftClick", BS_PUSHBUTTON | WS_TABSTOP, x + 2 * (bw + kMargin), y, bw, 26,
       kIdCopyClick);
  y += 30;
  g_spy.status = Make(L"STATIC", "", SS_LEFTNOWORDWRAP, x, y, w, 18, kIdStatus);
  y += 24;
  Make(L"BUTTON", "What will match", BS_GROUPBOX, x, y, w, kHeight - y - kMargin, 0);
  y += 20;
  Make(L"STATIC", "Title:", 0, x + 8, y + 3, 40, 20, 0);
  g_spy.match_title =
      Make(L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, x + 50, y, w - 58, 22, kIdMatchTitle);
  y += 26;
  Make(L"STATIC", "Text:", 0, x + 8, y + 3, 40, 20, 0);
  g_spy.match_text =
      Make(L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, x + 50, y, w - 58, 22, kIdMatchText);
  y += 28;
  g_spy.match_list = Make(L"LISTBOX", "", WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, x + 8, y,
                          w - 16, kHeight - y - 40, kIdMatchList);
  SendMessageW(g_spy.match_list, LB_SETHORIZONTALEXTENT, 900, 0);
  g_spy.match_summary =
      Make(L"STATIC", "", SS_LEFTNOWORDWRAP, x + 8, kHeight - 34, w - 16, 18, kIdMatchSummary);
}

LRESULT CALLBACK SpyProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      g_spy.window = window;
      CreateControls();
      SetTimer(window, kTimerSample, kSampleMs, NULL);
      // Another program may hold the hotkey; the check box still freezes.
      RegisterHotKey(window, kHotkeyFreeze, MOD_CONTROL | MOD_ALT, 'F');
      RefreshMatch();
      return 0;
    case WM_TIMER:
      if (wparam == kTimerSample) OnTimer();
      return 0;
    case WM_HOTKEY:
      if (wparam == kHotkeyFreeze) SetFrozen(!g_spy.frozen);
      return 0;
    case WM_COMMAND: OnCommand(LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_DESTROY:
      KillTimer(window, kTimerSample);
      UnregisterHotKey(window, kHotkeyFreeze);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int RunSpyWindow(HINSTANCE instance, const SpyArgs& args) {
  g_spy.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  WNDCLASSW wc;
  memset(&wc, 0, sizeof(wc));
  wc.lpfnWndProc = SpyProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hIcon = LoadIcon(NULL, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) return 1;
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT outer = {0, 0, kWidth, kHeight};
  AdjustWindowRectEx(&outer, style, FALSE, WS_EX_TOPMOST);
  int x = args.has_pos ? args.pos_x : CW_USEDEFAULT;
  int y = args.has_pos ? args.pos_y : CW_USEDEFAULT;
  if (args.has_pointer) SetCursorPos(args.pointer_x, args.pointer_y);
  HWND window =
      CreateWindowExW(WS_EX_TOPMOST, kClassName, kTitle, style, x, y, outer.right - outer.left,
                      outer.bottom - outer.top, NULL, NULL, instance, NULL);
  if (window == NULL) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    if (IsDialogMessageW(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace authoring
