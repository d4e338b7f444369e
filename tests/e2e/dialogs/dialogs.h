// The dialogs test program's two jobs and the small helpers they share.
#ifndef KESTRO_TESTS_E2E_DIALOGS_DIALOGS_H
#define KESTRO_TESTS_E2E_DIALOGS_DIALOGS_H

#include <windows.h>

namespace dialogs {

const DWORD kWaitMs = 15000;  // bound for every wait on the runner
const DWORD kPollMs = 10;     // interval between two looks at the windows

// Answers message boxes and input boxes in order; see boxes.cpp.
int AnswerBoxes(int count, char** answers);

// Checks that a message box undoes its input attachment; see attach.cpp.
int CheckAttachment();

// Watches the splash window appear and disappear; see splash.cpp.
int WatchSplash();

// Appends one line to a file of the working directory and closes it, so that
// what was seen survives the program being ended at any moment.
void AppendLine(const char* file, const char* text);

// Reads a window's text with WM_GETTEXT, which also works for the controls of
// another process, in UTF-8 (ASCII stays as it is); a hung window gives the
// empty text.
void ReadText(HWND window, char* out, int size);

// Turns \uXXXX escapes into UTF-16 units; every other character stands for itself.
void Unescape(const char* text, wchar_t* out, int size);

// Lets this thread's windows handle their messages for ms milliseconds.
void Pump(DWORD ms);

// Waits (bounded by kWaitMs) for a visible dialog of any program; 0 when none came.
HWND WaitForDialog();

}  // namespace dialogs

#endif
