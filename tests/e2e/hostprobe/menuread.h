// What hostprobe and menuread share: a named block of memory per process of
// the script, through which hostprobe asks for the menus and menuread answers.
#ifndef KESTRO_TESTS_E2E_HOSTPROBE_MENUREAD_H
#define KESTRO_TESTS_E2E_HOSTPROBE_MENUREAD_H

#include <windows.h>

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

#endif
