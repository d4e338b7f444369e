// dialogs: a test program that answers the runner's boxes and watches its
// splash window, writing what it saw into files of its working directory.
#include <stdio.h>
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
  out[0] = '\0';
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, size, (LPARAM)out, SMTO_ABORTIFHUNG, 2000,
                           &length))
    out[0] = '\0';
  out[size - 1] = '\0';
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
