// What hostprobe and menuread share: a named block of memory per process of
// the script, through which hostprobe asks for the menus and menuread answers.
#ifndef KESTRO_TESTS_E2E_HOSTPROBE_MENUREAD_H
#define KESTRO_TESTS_E2E_HOSTPROBE_MENUREAD_H

#include <windows.h>
#include <string.h>

// The mapping's name, formatted with the script's process id.
#define kMenuReadMapping "kestro-menuread-%lu"

// menuread sets `ready` once it serves; hostprobe then raises `request`, and
// menuread writes `text` and sets `done` to it.
struct MenuReadShared {
  volatile LONG ready;
  volatile LONG request;
  volatile LONG done;
  char text[4096];
};

// A top-level window of process `pid` with the class given; for the pop-up
// menu class only a visible one (the system keeps hidden ones of its own).
struct MenuReadSearch {
  DWORD pid;
  const char* class_name;
  HWND found;
};

inline BOOL CALLBACK MenuReadMatch(HWND window, LPARAM search_address) {
  MenuReadSearch* search = reinterpret_cast<MenuReadSearch*>(search_address);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (pid != search->pid || strcmp(name, search->class_name) != 0) return TRUE;
  if (strcmp(name, "#32768") == 0 && !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

inline HWND FindProcessWindow(DWORD pid, const char* class_name) {
  MenuReadSearch search = {pid, class_name, NULL};
  EnumWindows(MenuReadMatch, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

#endif
