// The "window", "post" and "send" subcommands: find a top-level window and send it messages.
#ifndef KESTRO_TESTS_E2E_HELPER_DRIVE_H
#define KESTRO_TESTS_E2E_HELPER_DRIVE_H

#include "tests/e2e/helper/args.h"

namespace khelper {

// khelper window --class NAME [--title T] [--timeout MS]
// Waits for the window and prints "hwnd=0x.. visible=0|1 title=..."; exit 1 when none came.
int RunWindow(const Args& args);

// khelper post|send --class NAME [--title T] --msg N [--wparam W] [--lparam L] [--timeout MS]
// Posts or sends one message to the window; "send" prints the result as "result=N".
int RunMessage(const Args& args, bool send);

}  // namespace khelper

#endif
