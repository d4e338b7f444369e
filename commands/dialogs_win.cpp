// The modal boxes: the message box the core's MsgBox shows, and InputBox.
#include <windows.h>

#include "commands/handlers.h"
#include "resources/resource.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"
#include "windows/match.h"
#include "windows/wide_text_win.h"

namespace commands {

namespace {

// The system the boxes are shown on: their owner is its host window.
const windows::SystemInfo* g_system;

// What InputBox asks for: set just before the dialog is created and read by
// the dialog procedure when it initialises.
struct InputRequest {
  const char* title;
  const char* prompt;
  bool masked;                       // the entry shows "*" for every character
  char result[script::kMaxValue];    // the text of the edit control when OK was pressed
};

InputRequest g_input;

// Attaches this thread's input to the thread of the foreground window, so that
// the box we are about to show may come to the front. Returns the thread that
// was attached, or 0 when nothing was (no foreground window, our own thread,
// or a refused attachment). The caller hands the result to DetachInput.
DWORD AttachToForeground() {
  HWND foreground = GetForegroundWindow();
  // A program that does not answer is left alone: attached to it, the box
  // would wait on it to give up the activation.
  if (!foreground || !windows::IsResponsive(foreground)) return 0;
  DWORD thread = GetWindowThreadProcessId(foreground, NULL);
  // A thread cannot be attached to itself; the call would only fail.
  if (thread == 0 || thread == GetCurrentThreadId()) return 0;
  if (!AttachThreadInput(thread, GetCurrentThreadId(), TRUE)) return 0;
  return thread;
}

// Undoes exactly the attachment AttachToForeground made. The foreground
// usually changes while a box is up (the box itself takes it), so asking for
// the foreground window's thread again would detach the wrong thread and
// leave the first one attached for the rest of the run.
void DetachInput(DWORD thread) {
  if (thread == 0) return;
  AttachThreadInput(thread, GetCurrentThreadId(), FALSE);
}

// Sets the requested title, prompt and masking when the dialog initialises.
INT_PTR OnInputInit(HWND dialog) {
  bool utf8 = Utf8Script();
  windows::SetText(dialog, g_input.title, utf8);
  windows::SetText(GetDlgItem(dialog, IDC_INPUT_PROMPT), g_input.prompt, utf8);
  if (g_input.masked) SendDlgItemMessageA(dialog, IDC_INPUT_EDIT, EM_SETPASSWORDCHAR, '*', 0);
  return TRUE;  // lets the dialog manager put the focus on the edit control
}

// OK (also Enter, as the default button) takes the entry and ends the dialog.
INT_PTR OnInputCommand(HWND dialog, WPARAM wparam) {
  if (LOWORD(wparam) != IDC_INPUT_OK) return FALSE;
  // Read as a title is: UTF-8 cut at a character boundary, or ANSI.
  windows::ReadTitle(GetDlgItem(dialog, IDC_INPUT_EDIT), g_input.result, script::kMaxValue,
                     Utf8Script());
  EndDialog(dialog, 0);
  return TRUE;
}

// The input dialog has no cancel: Escape's IDCANCEL and the close command are
// left to the dialog manager, which does nothing with them here.
INT_PTR CALLBACK InputDialogProc(HWND dialog, UINT msg, WPARAM wparam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInputInit(dialog);
    case WM_COMMAND:
      return OnInputCommand(dialog, wparam);
  }
  return FALSE;
}

// InputBox, variable, title, prompt [, hide]   e.g.  InputBox, PW, Login, Password:, hide
// Asks for one line of text and stores it in the variable (which may be
// CLIPBOARD). "hide" in any letter case masks the entry with "*". The dialog
// has only an OK button; an empty entry stores the empty text.
bool CmdInputBox(script::Interp& in, script::Fields& f) {
  g_input.title = f.at[1];
  g_input.prompt = f.at[2];
  g_input.masked = script::EqualsNoCase(f.at[3], "hide");
  // Should the dialog fail to appear, the variable gets the empty text rather
  // than whatever the previous InputBox left behind.
  g_input.result[0] = '\0';
  DWORD attached = AttachToForeground();
  // A UTF-8 script's dialog is a Unicode one, so its texts keep every character.
  HINSTANCE instance = GetModuleHandleA(NULL);
  HWND owner = g_system->host_window;
  if (Utf8Script()) {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_INPUT), owner, InputDialogProc, 0);
  } else {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INPUT), owner, InputDialogProc, 0);
  }
  DetachInput(attached);
  script::WriteVariable(*in.sys, f.at[0], g_input.result);
  return true;
}

}  // namespace

// The box may only come to the front while this thread shares the input of
// the foreground window's thread, so it is attached for the box's lifetime.
int ShowMessageBox(void*, const char* title, const char* text, unsigned int flags) {
  DWORD attached = AttachToForeground();
  int button = windows::ShowBox(g_system->host_window, text, title, flags, Utf8Script());
  DetachInput(attached);
  return button;
}

void InstallDialogCommands(script::Interp& in, const windows::SystemInfo& system) {
  g_system = &system;
  script::SetHandler(in, script::CMD_INPUTBOX, CmdInputBox);
}

}  // namespace commands
