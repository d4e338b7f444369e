// The "boxes" subcommand: records and closes the dialog boxes that other programs show.
#ifndef KESTRO_TESTS_E2E_HELPER_BOXES_H
#define KESTRO_TESTS_E2E_HELPER_BOXES_H

#include "tests/e2e/helper/args.h"

namespace khelper {

// khelper boxes --out FILE [--timeout MS] [--count N] [--press BUTTON] [--stop FILE]
// Waits for top-level dialogs (class "#32770"), appends "CAPTION<TAB>TEXT" (UTF-8) for each
// to FILE and presses BUTTON (default: the dialog's default button). Ends after N
// boxes, at the timeout, or once the stop file exists. Returns the exit code.
int RunBoxes(const Args& args);

}  // namespace khelper

#endif
