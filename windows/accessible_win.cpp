// Walks a window's accessible elements on walker threads and keeps each
// window's last answer, so that a match never waits longer than a short bound.
#include "windows/accessible_win.h"

#include <ole2.h>
#include <oleacc.h>
#include <stdlib.h>
#include <string.h>

#include "script/accessible_text.h"
#include "windows/wide_text_win.h"

namespace windows {

namespace {

// IID_IAccessible, written out: the import library of oleacc exports that
// name as code, and the program links no COM library anyway.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

typedef HRESULT(WINAPI* ObjectFromWindowFn)(HWND, DWORD, REFIID, void**);
typedef HRESULT(WINAPI* InitComFn)(LPVOID, DWORD);
typedef HRESULT(WINAPI* ClearFn)(VARIANTARG*);
typedef void(WINAPI* FreeStringFn)(BSTR);

// The calls of oleacc, ole32 and oleaut32, looked up on first use, so that a
// script that never reads accessible text loads none of them. The names
// below are in the order of the members.
struct Api {
  ObjectFromWindowFn object_from_window;
  LPFNACCESSIBLECHILDREN children;
  InitComFn init_com;
  ClearFn clear;
  FreeStringFn free_string;
};
const char* const kApiNames[][2] = {
    {"oleacc.dll", "AccessibleObjectFromWindow"}, {"oleacc.dll", "AccessibleChildren"},
    {"ole32.dll", "CoInitializeEx"}, {"oleaut32.dll", "VariantClear"},
    {"oleaut32.dll", "SysFreeString"}};
const int kApiCalls = sizeof(kApiNames) / sizeof(kApiNames[0]);
union {
  Api api;
  FARPROC at[kApiCalls];
} g_calls;
Api& g_api = g_calls.api;
int g_api_state;  // 0 not tried, 1 ready, -1 missing

bool LoadApi() {
  if (g_api_state == 0) {
    g_api_state = 1;
    for (int i = 0; i < kApiCalls; ++i) {
      HMODULE module = LoadLibraryA(kApiNames[i][0]);
      g_calls.at[i] = module ? GetProcAddress(module, kApiNames[i][1]) : NULL;
      if (g_calls.at[i] == NULL) g_api_state = -1;
    }
  }
  return g_api_state > 0;
}

// The one place where an element's UTF-16 text becomes the script's text:
// UTF-8 for a UTF-8 script, the ANSI code page for an ANSI one; cut to fit
// size bytes with its zero (an editor's whole document may be its value).
void ToScriptText(BSTR wide, char* out, int size, bool utf8) {
  if (utf8) {
    ToUtf8(wide, out, size);
    return;
  }
  // A BSTR carries its length in bytes just before its first unit.
  int units = static_cast<int>(reinterpret_cast<const UINT*>(wide)[-1] / 2);
  if (units > size / 2) units = size / 2;  // at most two bytes a unit in any ANSI code page
  int n = WideCharToMultiByte(CP_ACP, 0, wide, units, out, size - 1, NULL, NULL);
  out[n > 0 ? n : 0] = '\0';
}

// One walk under way: a thread of its own walks the window into the slot's
// buffer and ends; the thread that matches collects the answer once the
// thread has ended. So a slot belongs to its walk's thread from the start
// of the walk to its end, and to the matching thread otherwise.
struct Walker {
  HANDLE thread;  // the walk's thread; NULL when the slot is free
  HWND window;
  bool utf8;
  int entry;            // the entry the answer goes to
  unsigned generation;  // that entry's generation when the walk started
  DWORD ended;          // when the walk ended
  char* answer;
  int used;
  int elements;
  bool full;
  DWORD deadline;
  char text[8192];
};

// One window's last answer.
struct Entry {
  HWND window;
  unsigned generation;  // changes when the entry is given to another window
  script::AccessibleWalkState state;
  int walker;           // the walk under way for it, -1 none
  char* answer;
  int used;
};

const int kEntries = 8;
Walker* g_walkers[script::kAccessibleWalkers];
Entry g_entries[kEntries];
int g_next_entry;  // the entry a window new to the table takes
// Whether walks ask for roles: only the spy shows them, and each question is
// one more call across processes per element.
bool g_roles;

bool Stop(Walker* w) {
  if (w->elements >= script::kAccessibleMaxElements ||
      static_cast<LONG>(GetTickCount() - w->deadline) >= 0)
    w->full = true;
  return w->full;
}

void Keep(Walker* w, BSTR text, bool value, bool hidden, int role) {
  if (text == NULL) return;
  ToScriptText(text, w->text, sizeof(w->text), w->utf8);
  g_api.free_string(text);
  script::AccessibleText entry = {value, hidden, role, w->text};
  int used = script::AppendAccessibleText(w->answer, w->used, script::kAccessibleAnswerSize, entry);
  if (used < 0) w->full = true;
  else w->used = used;
}

// Reads one element's name and value; returns whether it is hidden (or
// under a hidden element).
bool ReadElement(Walker* w, IAccessible* acc, const VARIANT& id, bool hidden) {
  ++w->elements;
  VARIANT v;
  v.vt = VT_EMPTY;
  if (SUCCEEDED(acc->get_accState(id, &v)) && v.vt == VT_I4 && (v.lVal & STATE_SYSTEM_INVISIBLE))
    hidden = true;
  g_api.clear(&v);
  int role = 0;
  if (g_roles && SUCCEEDED(acc->get_accRole(id, &v)) && v.vt == VT_I4) role = static_cast<int>(v.lVal);
  g_api.clear(&v);
  BSTR text = NULL;
  if (SUCCEEDED(acc->get_accName(id, &text))) Keep(w, text, false, hidden, role);
  text = NULL;
  if (SUCCEEDED(acc->get_accValue(id, &text))) Keep(w, text, true, hidden, role);
  return hidden;
}

// The elements below `parent`, as many as the limits leave room for.
void WalkChildren(Walker* w, IAccessible* parent, int depth, bool hidden) {
  LONG count = 0;
  if (depth > script::kAccessibleMaxDepth || FAILED(parent->get_accChildCount(&count))) return;
  LONG room = script::kAccessibleMaxElements - w->elements;
  if (count > room) count = room;
  if (count <= 0) return;
  VARIANT* kids = static_cast<VARIANT*>(calloc(static_cast<size_t>(count), sizeof(VARIANT)));
  LONG got = 0;
  if (kids == NULL || FAILED(g_api.children(parent, 0, count, kids, &got))) got = 0;
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  for (LONG i = 0; i < got; ++i) {
    VARIANT& kid = kids[i];
    IAccessible* acc = NULL;
    if (Stop(w)) {
    } else if (kid.vt == VT_I4) {
      ReadElement(w, parent, kid, hidden);
    } else if (kid.vt == VT_DISPATCH && kid.pdispVal != NULL &&
               SUCCEEDED(kid.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&acc))) &&
               acc != NULL) {
      WalkChildren(w, acc, depth + 1, ReadElement(w, acc, self, hidden));
      acc->Release();
    }
    g_api.clear(&kid);
  }
  free(kids);
}

DWORD WINAPI Walk(LPVOID data) {
  Walker* w = static_cast<Walker*>(data);
  g_api.init_com(NULL, COINIT_MULTITHREADED);
  w->used = 0;
  w->elements = 0;
  w->full = false;
  w->deadline = GetTickCount() + script::kAccessibleMaxWalkMs;
  IAccessible* root = NULL;
  if (SUCCEEDED(g_api.object_from_window(w->window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                         reinterpret_cast<void**>(&root))) &&
      root != NULL) {
    // The window's own element is named after its title, which the text
    // test never looks into: only the elements below it count.
    WalkChildren(w, root, 1, false);
    root->Release();
  }
  w->ended = GetTickCount();
  return 0;
}

// Hands the answers of walks that have ended to their entries.
void Collect() {
  for (int i = 0; i < script::kAccessibleWalkers; ++i) {
    Walker* w = g_walkers[i];
    if (w == NULL || w->thread == NULL || WaitForSingleObject(w->thread, 0) != WAIT_OBJECT_0) continue;
    CloseHandle(w->thread);
    w->thread = NULL;
    Entry& e = g_entries[w->entry];
    if (e.generation != w->generation) continue;
    memcpy(e.answer, w->answer, static_cast<size_t>(w->used));
    e.used = w->used;
    e.walker = -1;
    script::AccessibleWalkEnded(&e.state, w->ended);
  }
}

// Starts a walk of the entry's window on a thread of its own; false when
// every slot holds a walk under way (held, as a rule, by programs that hang).
bool StartWalk(Entry* e, bool utf8, DWORD now) {
  for (int i = 0; i < script::kAccessibleWalkers; ++i) {
    Walker* w = g_walkers[i];
    if (w == NULL) {
      w = static_cast<Walker*>(malloc(sizeof(Walker)));
      char* answer = static_cast<char*>(malloc(script::kAccessibleAnswerSize));
      if (w == NULL || answer == NULL) return false;
      w->thread = NULL;
      w->answer = answer;
      g_walkers[i] = w;
    }
    if (w->thread != NULL) continue;
    w->window = e->window;
    w->utf8 = utf8;
    w->entry = static_cast<int>(e - g_entries);
    w->generation = e->generation;
    w->thread = CreateThread(NULL, 256 * 1024, Walk, w, STACK_SIZE_PARAM_IS_A_RESERVATION, NULL);
    if (w->thread == NULL) return false;
    e->walker = i;
    script::AccessibleWalkStarted(&e->state, now);
    return true;
  }
  return false;
}

// The window's entry; a window new to the table takes the next entry in
// turn that has no walk under way.
Entry* EntryOf(HWND window) {
  for (int i = 0; i < kEntries; ++i) {
    if (g_entries[i].window == window && g_entries[i].answer != NULL) return &g_entries[i];
  }
  for (int tries = 0; tries < kEntries; ++tries) {
    Entry& e = g_entries[g_next_entry];
    g_next_entry = (g_next_entry + 1) % kEntries;
    if (e.walker >= 0 && e.answer != NULL) continue;
    if (e.answer == NULL) e.answer = static_cast<char*>(malloc(script::kAccessibleAnswerSize));
    if (e.answer == NULL) return NULL;
    e.window = window;
    ++e.generation;
    e.state.answered = false;
    e.state.walking = false;
    e.walker = -1;
    e.used = 0;
    return &e;
  }
  return NULL;
}

// Brings the window's entry up to date as far as the answer wait allows;
// NULL when the window is not walked.
Entry* Consult(HWND window, bool utf8) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId() || !LoadApi()) return NULL;
  Collect();
  Entry* e = EntryOf(window);
  if (e == NULL) return NULL;
  DWORD now = GetTickCount();
  unsigned wait = 0;
  script::AccessibleStep step = script::PlanAccessibleMatch(e->state, now, &wait);
  if (step == script::kAccessibleStartWalk && !StartWalk(e, utf8, now)) return e;
  if (step != script::kAccessibleUseLastAnswer) {
    WaitForSingleObject(g_walkers[e->walker]->thread, wait);
    Collect();
  }
  return e;
}

}  // namespace

bool AccessibleTextMatches(HWND window, const char* wanted, bool hidden_too, bool utf8) {
  Entry* e = Consult(window, utf8);
  return e != NULL && script::AccessibleAnswerHolds(e->answer, e->used, wanted, hidden_too);
}

int ReadAccessibleAnswer(HWND window, bool utf8, char* out, int size) {
  g_roles = true;
  Entry* e = Consult(window, utf8);
  if (e == NULL) return 0;
  // A window's first walk is waited for longer: a tool that looks once has
  // nothing to show otherwise (the first walk also loads the libraries).
  const DWORD kFirstAnswerMs = 2000;
  DWORD elapsed = GetTickCount() - e->state.started;
  if (!e->state.answered && e->state.walking && elapsed < kFirstAnswerMs) {
    WaitForSingleObject(g_walkers[e->walker]->thread, kFirstAnswerMs - elapsed);
    Collect();
  }
  int used = e->used <= size ? e->used : 0;
  memcpy(out, e->answer, static_cast<size_t>(used));
  return used;
}

}  // namespace windows
