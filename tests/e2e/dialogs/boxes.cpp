// dialogs boxes ANSWER...
// For each answer in turn: waits for a visible dialog (class "#32770"),
// appends "CAPTION | TEXT | BUTTONS | ENTRY" to answers.txt, and answers it.
// TEXT is the first static control with text (the message, or the input prompt),
// BUTTONS the visible buttons' texts without "&", ENTRY "-" when there is no
// edit control, "plain", or "masked C" with the password character C when the
// edit control has ES_PASSWORD. An answer names a button by its text (any
// case, "&" left out), e.g. "yes"; "OK=some text" first puts the text into
// the edit control (\uXXXX escapes in it stand for those characters). Texts
// are written in UTF-8. When no dialog comes, "no dialog" is written and the
// program ends with 1.
#include <stdio.h>
#include <string.h>

#include "dialogs.h"

namespace dialogs {

namespace {

const char kOutFile[] = "answers.txt";
// How long a box stays up before it is answered: the harness's own box
// recorder looks every 50 ms and must see each box while it is whole.
const DWORD kSettleMs = 300;
const int kTextSize = 1100;

bool HasClass(HWND window, const char* name) {
  char cls[64];
  return GetClassNameA(window, cls, sizeof cls) && lstrcmpiA(cls, name) == 0;
}

// Removes the "&" that marks a button's access key.
void StripAmpersands(char* text) {
  char* out = text;
  for (const char* in = text; *in; ++in) {
    if (*in != '&') *out++ = *in;
  }
  *out = '\0';
}

// What one look at a dialog's controls collects.
struct Controls {
  char text[kTextSize];      // first static with text
  char buttons[kTextSize];   // visible button texts, space-separated
  HWND edit;                 // the edit control, if any
  const char* wanted;        // the button to find
  HWND wanted_button;
};

BOOL CALLBACK CollectControl(HWND child, LPARAM param) {
  Controls* c = (Controls*)param;
  char text[kTextSize];
  if (HasClass(child, "Static")) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON || c->text[0]) return TRUE;
    ReadText(child, c->text, kTextSize);
  } else if (HasClass(child, "Edit")) {
    if (!c->edit) c->edit = child;
  } else if (HasClass(child, "Button") && IsWindowVisible(child)) {
    ReadText(child, text, kTextSize);
    StripAmpersands(text);
    if (c->buttons[0] && strlen(c->buttons) + 1 < (size_t)kTextSize) strcat(c->buttons, " ");
    if (strlen(c->buttons) + strlen(text) < (size_t)kTextSize) strcat(c->buttons, text);
    if (c->wanted && lstrcmpiA(text, c->wanted) == 0) c->wanted_button = child;
  }
  return TRUE;
}

// "-", "plain" or "masked C".
void DescribeEntry(HWND edit, char* out) {
  if (!edit) {
    strcpy(out, "-");
    return;
  }
  DWORD_PTR ch = 0;
  SendMessageTimeoutA(edit, EM_GETPASSWORDCHAR, 0, 0, SMTO_ABORTIFHUNG, 2000, &ch);
  if (!(GetWindowLongA(edit, GWL_STYLE) & ES_PASSWORD) || ch == 0) {
    strcpy(out, "plain");
    return;
  }
  sprintf(out, "masked %c", (char)ch);
}

// Records one dialog and answers it; false when the named button is missing.
bool RecordAndAnswer(HWND dialog, const char* answer) {
  static char wanted[kTextSize];
  strncpy(wanted, answer, kTextSize - 1);
  char* entry_text = strchr(wanted, '=');
  if (entry_text) *entry_text++ = '\0';

  static Controls c;
  memset(&c, 0, sizeof c);
  c.wanted = wanted;
  EnumChildWindows(dialog, CollectControl, (LPARAM)&c);

  static char caption[kTextSize];
  static char line[4 * kTextSize];
  char entry[32];
  ReadText(dialog, caption, kTextSize);
  DescribeEntry(c.edit, entry);
  sprintf(line, "%s | %s | %s | %s", caption, c.text, c.buttons, entry);
  AppendLine(kOutFile, line);
  printf("dialogs: %s\n", line);
  fflush(stdout);

  if (!c.wanted_button) {
    AppendLine(kOutFile, "no such button");
    return false;
  }
  if (entry_text && c.edit) {
    static wchar_t wide[kTextSize];
    Unescape(entry_text, wide, kTextSize);
    DWORD_PTR ignored;
    SendMessageTimeoutW(c.edit, WM_SETTEXT, 0, (LPARAM)wide, SMTO_ABORTIFHUNG, 2000, &ignored);
  }
  // A click as the button itself reports it; posted, so that a box whose
  // owner is busy cannot hold this program.
  int id = GetDlgCtrlID(c.wanted_button);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)c.wanted_button);
  return true;
}

// Waits until the answered dialog has gone, so that the next search cannot find it again.
void WaitUntilGone(HWND dialog) {
  DWORD start = GetTickCount();
  while (IsWindow(dialog) && IsWindowVisible(dialog) && GetTickCount() - start < kWaitMs)
    Sleep(kPollMs);
}

}  // namespace

int AnswerBoxes(int count, char** answers) {
  for (int i = 0; i < count; ++i) {
    HWND dialog = WaitForDialog();
    if (!dialog) {
      AppendLine(kOutFile, "no dialog");
      return 1;
    }
    Sleep(kSettleMs);
    if (!RecordAndAnswer(dialog, answers[i])) return 1;
    WaitUntilGone(dialog);
  }
  return 0;
}

}  // namespace dialogs
