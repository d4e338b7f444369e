// a11ytarget: a window that draws its texts itself (it has no child windows)
// and tells them only through Active Accessibility: it answers WM_GETOBJECT
// for OBJID_CLIENT with its own IAccessible, whose simple elements are a push
// button "Save changes", a static "Größe: 5 €", a text "Amount" whose value
// is "1234.50", a hidden static "Hidden note", a status bar "Ln 1, Col 1" and
// any number of list items "Item N".
//
//   a11ytarget [--window TITLE] [--items N] [--hang-after MS] [--hang-name]
//              [--hang-when-asked MS] [--log FILE] [--lifetime MS] [--place X,Y]
//
// --window      the title, \uXXXX escapes allowed (default "A11y Target")
// --items       N more elements "Item 1" ... "Item N" (for the benchmark)
// --hang-after  the window procedure stops answering MS ms after start (0:
//               before the title is set, so no one ever finds it answering)
// --hang-when-asked  the window procedure stops answering MS ms after it was
//               first asked for its element (so it has answered once, however
//               slowly the machine runs)
// --hang-name   every get_accName call hangs
// --place       the window's top-left corner on the screen (default 120,120)
// --log         appends "getobject" for every WM_GETOBJECT asking for the
//               client's element, and "name" for every get_accName call
#include <ole2.h>
#include <oleacc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const IID kIidDispatch = {0x00020400, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIidUnknown = {0, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

struct Element {
  const wchar_t* name;
  const wchar_t* value;
  long role;
  long state;
};

const Element kElements[] = {
    {L"Save changes", NULL, ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE},
    {L"Gr\u00f6\u00dfe: 5 \u20ac", NULL, ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY},
    {L"Amount", L"1234.50", ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE},
    {L"Hidden note", NULL, ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_INVISIBLE},
    {L"Ln 1, Col 1", NULL, ROLE_SYSTEM_STATUSBAR, STATE_SYSTEM_READONLY},
};
const long kFixed = sizeof(kElements) / sizeof(kElements[0]);

long g_items;
long g_hang_when_asked = -1;
bool g_hang_name;
const char* g_log;
wchar_t g_title[256] = L"A11y Target";

void Log(const char* what) {
  if (!g_log) return;
  FILE* f = fopen(g_log, "ab");
  if (!f) return;
  fprintf(f, "%s\n", what);
  fclose(f);
}

void Unescape(const char* text, wchar_t* out, int size) {
  int n = 0;
  while (*text && n < size - 1) {
    if (text[0] == '\\' && text[1] == 'u' && strlen(text) >= 6) {
      char hex[5] = {text[2], text[3], text[4], text[5], 0};
      out[n++] = static_cast<wchar_t>(strtoul(hex, NULL, 16));
      text += 6;
    } else {
      out[n++] = static_cast<unsigned char>(*text++);
    }
  }
  out[n] = 0;
}

// The client's element; its children are simple elements 1 to kFixed + g_items.
class Client : public IAccessible {
 public:
  explicit Client(HWND window) : refs_(1), window_(window) {}
  virtual ~Client() {}

  STDMETHODIMP QueryInterface(REFIID riid, void** out) {
    if (IsEqualIID(riid, kIidAccessible) || IsEqualIID(riid, kIidDispatch) || IsEqualIID(riid, kIidUnknown)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) { *count = 0; return S_OK; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
  }

  STDMETHODIMP get_accParent(IDispatch** parent) { *parent = NULL; return S_FALSE; }
  STDMETHODIMP get_accChildCount(long* count) { *count = kFixed + g_items; return S_OK; }
  STDMETHODIMP get_accChild(VARIANT, IDispatch** child) { *child = NULL; return S_FALSE; }
  STDMETHODIMP get_accName(VARIANT id, BSTR* name) {
    Log("name");
    if (g_hang_name) Sleep(600000);
    long i = Index(id);
    if (i == 0) return Give(g_title, name);
    if (i <= kFixed) return Give(kElements[i - 1].name, name);
    if (i <= kFixed + g_items) {
      wchar_t item[32];
      wsprintfW(item, L"Item %ld", i - kFixed);
      return Give(item, name);
    }
    return E_INVALIDARG;
  }
  STDMETHODIMP get_accValue(VARIANT id, BSTR* value) {
    long i = Index(id);
    *value = NULL;
    if (i < 1 || i > kFixed || kElements[i - 1].value == NULL) return S_FALSE;
    return Give(kElements[i - 1].value, value);
  }
  STDMETHODIMP get_accDescription(VARIANT, BSTR* text) { *text = NULL; return S_FALSE; }
  STDMETHODIMP get_accRole(VARIANT id, VARIANT* role) {
    long i = Index(id);
    role->vt = VT_I4;
    role->lVal = i == 0 ? ROLE_SYSTEM_CLIENT : i <= kFixed ? kElements[i - 1].role : ROLE_SYSTEM_LISTITEM;
    return S_OK;
  }
  STDMETHODIMP get_accState(VARIANT id, VARIANT* state) {
    long i = Index(id);
    state->vt = VT_I4;
    state->lVal = i >= 1 && i <= kFixed ? kElements[i - 1].state : 0;
    return S_OK;
  }
  STDMETHODIMP get_accHelp(VARIANT, BSTR* text) { *text = NULL; return S_FALSE; }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    *file = NULL;
    *topic = 0;
    return S_FALSE;
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR* text) { *text = NULL; return S_FALSE; }
  STDMETHODIMP get_accFocus(VARIANT* focus) { focus->vt = VT_EMPTY; return S_FALSE; }
  STDMETHODIMP get_accSelection(VARIANT* selection) { selection->vt = VT_EMPTY; return S_FALSE; }
  STDMETHODIMP get_accDefaultAction(VARIANT, BSTR* text) { *text = NULL; return S_FALSE; }
  STDMETHODIMP accSelect(long, VARIANT) { return E_NOTIMPL; }
  STDMETHODIMP accLocation(long* x, long* y, long* w, long* h, VARIANT) {
    *x = *y = *w = *h = 0;
    return E_NOTIMPL;
  }
  STDMETHODIMP accNavigate(long, VARIANT, VARIANT* end) { end->vt = VT_EMPTY; return E_NOTIMPL; }
  STDMETHODIMP accHitTest(long, long, VARIANT* hit) { hit->vt = VT_EMPTY; return S_FALSE; }
  STDMETHODIMP accDoDefaultAction(VARIANT) { return E_NOTIMPL; }
  STDMETHODIMP put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
  STDMETHODIMP put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

 private:
  static long Index(const VARIANT& id) { return id.vt == VT_I4 ? id.lVal : -1; }
  static HRESULT Give(const wchar_t* text, BSTR* out) {
    *out = SysAllocString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  LONG refs_;
  HWND window_;
};

const UINT kHangMessage = WM_APP + 1;
const UINT_PTR kHangTimer = 1;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_GETOBJECT:
      if (static_cast<LONG>(lparam) == static_cast<LONG>(OBJID_CLIENT)) {
        Log("getobject");
        if (g_hang_when_asked >= 0) {
          SetTimer(window, kHangTimer, static_cast<UINT>(g_hang_when_asked), NULL);
          g_hang_when_asked = -1;
        }
        Client* client = new Client(window);
        LRESULT result = LresultFromObject(kIidAccessible, wparam, client);
        client->Release();
        return result;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      for (long i = 0; i < kFixed; ++i) {
        if (kElements[i].state & STATE_SYSTEM_INVISIBLE) continue;
        TextOutW(dc, 8, 8 + 20 * static_cast<int>(i), kElements[i].name, lstrlenW(kElements[i].name));
      }
      EndPaint(window, &ps);
      return 0;
    }
    case WM_TIMER:
    case kHangMessage:
      if (message == WM_TIMER && wparam != kHangTimer) break;
      KillTimer(window, kHangTimer);
      Sleep(600000);  // the process ends when its lifetime is over
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

DWORD WINAPI EndAfter(LPVOID ms) {
  Sleep(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(ms)));
  ExitProcess(0);
}

}  // namespace

int main(int argc, char** argv) {
  long hang_after = -1;
  int x = 120, y = 120;
  DWORD lifetime = 60000;
  for (int i = 1; i < argc; ++i) {
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (!strcmp(argv[i], "--hang-name")) { g_hang_name = true; continue; }
    if (!strcmp(argv[i], "--window")) Unescape(value, g_title, 256);
    else if (!strcmp(argv[i], "--items")) g_items = atol(value);
    else if (!strcmp(argv[i], "--hang-after")) hang_after = atol(value);
    else if (!strcmp(argv[i], "--hang-when-asked")) g_hang_when_asked = atol(value);
    else if (!strcmp(argv[i], "--log")) g_log = value;
    else if (!strcmp(argv[i], "--lifetime")) lifetime = static_cast<DWORD>(atol(value));
    else if (!strcmp(argv[i], "--place")) sscanf(value, "%d,%d", &x, &y);
    else {
      fprintf(stderr, "a11ytarget: bad option %s\n", argv[i]);
      return 2;
    }
    ++i;
  }
  OleInitialize(NULL);
  CloseHandle(CreateThread(NULL, 0, EndAfter, reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(lifetime)), 0, NULL));
  HINSTANCE instance = GetModuleHandleW(NULL);
  WNDCLASSW wc;
  memset(&wc, 0, sizeof(wc));
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"KestroA11yTarget";
  RegisterClassW(&wc);
  // A window that hangs from the start gets its title only once it can no
  // longer answer.
  HWND window = CreateWindowExW(0, L"KestroA11yTarget", hang_after == 0 ? L"" : g_title,
                                WS_OVERLAPPEDWINDOW, x, y, 360, 200, NULL, NULL, instance, NULL);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  if (hang_after == 0) {
    SetWindowTextW(window, g_title);
    Sleep(600000);
  }
  if (hang_after > 0) SetTimer(window, kHangTimer, static_cast<UINT>(hang_after), NULL);
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
