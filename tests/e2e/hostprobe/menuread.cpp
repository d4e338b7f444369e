// menuread: hostprobe loads this library into a running script's process, where
// menus can be read (another process cannot read them). On each request it
// describes the host window's system menu and any open pop-up menu.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "menuread.h"

namespace {

struct Text {
  char* at;
  size_t left;
};

void Put(Text* out, const char* piece) {
  size_t n = strlen(piece);
  if (n >= out->left) n = out->left ? out->left - 1 : 0;
  memcpy(out->at, piece, n);
  out->at += n;
  out->left -= n;
  if (out->left) *out->at = '\0';
}

// One item as "text [checked] [greyed]", or "-" for a separator.
void PutItem(Text* out, HMENU menu, int position) {
  UINT state = GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
  if (state & MF_SEPARATOR) {
    Put(out, "-");
    return;
  }
  char name[128] = "";
  GetMenuStringA(menu, static_cast<UINT>(position), name, sizeof name, MF_BYPOSITION);
  char id[24];
  snprintf(id, sizeof id, " (%u)", GetMenuItemID(menu, position));
  Put(out, name);
  Put(out, id);
  if (state & MF_CHECKED) Put(out, " [checked]");
  if (state & MF_GRAYED) Put(out, " [greyed]");
}

// "system: <the last item>" for the host window's system menu, the one this
// program appends after a separator; then "popup: <items>" while a pop-up
// menu of this process is open.
void Describe(char* buffer, size_t size) {
  Text out = {buffer, size};
  buffer[0] = '\0';
  HWND host = FindProcessWindow(GetCurrentProcessId(), "Kestro");
  HMENU system = host ? GetSystemMenu(host, FALSE) : NULL;
  int count = system ? GetMenuItemCount(system) : 0;
  Put(&out, "system: ");
  if (count >= 2) {
    PutItem(&out, system, count - 2);
    Put(&out, " | ");
    PutItem(&out, system, count - 1);
  } else {
    Put(&out, "none");
  }
  Put(&out, "\n");
  HWND popup = FindProcessWindow(GetCurrentProcessId(), "#32768");
  DWORD_PTR answer = 0;
  if (popup && SendMessageTimeoutA(popup, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) && answer) {
    HMENU menu = reinterpret_cast<HMENU>(answer);
    Put(&out, "popup: ");
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      if (i) Put(&out, " | ");
      PutItem(&out, menu, i);
    }
    Put(&out, "\n");
  }
}

DWORD WINAPI Serve(LPVOID) {
  char name[64];
  snprintf(name, sizeof name, kMenuReadMapping, static_cast<unsigned long>(GetCurrentProcessId()));
  HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
  if (!mapping) return 1;
  MenuReadShared* shared =
      static_cast<MenuReadShared*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(MenuReadShared)));
  if (!shared) return 1;
  InterlockedExchange(&shared->ready, 1);
  // Serves until the process ends; a request that finds the mapping's other
  // side gone changes nothing.
  for (;;) {
    LONG wanted = InterlockedCompareExchange(&shared->request, 0, 0);
    if (wanted != shared->done) {
      Describe(shared->text, sizeof shared->text);
      InterlockedExchange(&shared->done, wanted);
    }
    Sleep(10);
  }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID);

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    HANDLE thread = CreateThread(NULL, 0, Serve, NULL, 0, NULL);
    if (thread) CloseHandle(thread);
  }
  return TRUE;
}
