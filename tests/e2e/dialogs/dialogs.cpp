// dialogs: a test program that answers the runner's boxes and watches its
// splash window, writing what it saw into files of its working directory.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "dialogs.h"

namespace dialogs {

void AppendLine(const char* file, const char* text) {
  FILE* f = fopen(file, "ab");
  if (!f) return;
  fputs(text, f);
  fputc('\n', f);
  fclose(f);
}

void ReadText(HWND window, char* out, int size) {
  static wchar_t wide[4096];
  out[0] = '\0';
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, (LPARAM)wide, SMTO_ABORTIFHUNG, 2000,
                           &length))
    return;
  wide[4095] = 0;
  if (!WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, size, NULL, NULL)) out[0] = '\0';
}

void Unescape(const char* text, wchar_t* out, int size) {
  int n = 0;
  while (*text && n < size - 1) {
    if (text[0] == '\\' && text[1] == 'u' && strlen(text) >= 6) {
      char hex[5] = {text[2], text[3], text[4], text[5], 0};
      out[n++] = (wchar_t)strtoul(hex, NULL, 16);
      text += 6;
    } else {
      out[n++] = (unsigned char)*text++;
    }
  }
  out[n] = 0;
}

void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(kPollMs);
  }
}

namespace {

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
  char cls[64];
  if (!GetClassNameA(window, cls, sizeof cls) || lstrcmpA(cls, "#32770") != 0) return TRUE;
  if (!IsWindowVisible(window)) return TRUE;
  *(HWND*)param = window;
  return FALSE;
}

}  // namespace

HWND WaitForDialog() {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < kWaitMs) {
    HWND found = 0;
    EnumWindows(FindDialog, (LPARAM)&found);
    if (found) return found;
    Pump(kPollMs);
  }
  return 0;
}

}  // namespace dialogs

int main(int argc, char** argv) {
  if (argc >= 2 && strcmp(argv[1], "boxes") == 0) return dialogs::AnswerBoxes(argc - 2, argv + 2);
  if (argc >= 2 && strcmp(argv[1], "splash") == 0) return dialogs::WatchSplash();
  if (argc >= 2 && strcmp(argv[1], "attach") == 0) return dialogs::CheckAttachment();
  fputs("usage: dialogs boxes ANSWER...   (ANSWER: a button's text, optionally =TEXT for the entry)\n"
        "       dialogs splash\n"
        "       dialogs attach\n",
        stderr);
  return 2;
}
