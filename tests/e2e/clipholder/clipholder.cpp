// clipholder: puts a text on the clipboard, then keeps the clipboard open for
// a while, the way a busy program sometimes does, so that the runner's
// clipboard reads and writes meet a clipboard they cannot open.
//
//   clipholder [--set TEXT] [--hold MS] [--ready FILE] [--done FILE]
//
// --set    the text to put on the clipboard first
// --hold   how long to keep the clipboard open (default 3000)
// --ready  a file written once the clipboard is held
// --done   a file written once it is released again
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

void Touch(const char* path) {
  if (!path) return;
  FILE* f = fopen(path, "wb");
  if (f) fclose(f);
}

bool SetText(const char* text) {
  size_t len = strlen(text);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, len + 1);
  if (!block) return false;
  memcpy(GlobalLock(block), text, len + 1);
  GlobalUnlock(block);
  if (!OpenClipboard(NULL)) return GlobalFree(block), false;
  EmptyClipboard();
  bool ok = SetClipboardData(CF_TEXT, block) != NULL;
  if (!ok) GlobalFree(block);
  CloseClipboard();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const char* text = NULL;
  const char* ready = NULL;
  const char* done = NULL;
  DWORD hold_ms = 3000;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--set")) text = argv[i + 1];
    else if (!strcmp(argv[i], "--hold")) hold_ms = static_cast<DWORD>(atoi(argv[i + 1]));
    else if (!strcmp(argv[i], "--ready")) ready = argv[i + 1];
    else if (!strcmp(argv[i], "--done")) done = argv[i + 1];
  }
  if (text && !SetText(text)) {
    fprintf(stderr, "clipholder: cannot set the clipboard\n");
    return 1;
  }
  // Opening may fail while another program has it; try for a while.
  bool held = false;
  for (int tries = 0; tries < 200 && !held; ++tries) {
    held = OpenClipboard(NULL) != FALSE;
    if (!held) Sleep(10);
  }
  if (!held) {
    fprintf(stderr, "clipholder: cannot open the clipboard\n");
    return 1;
  }
  Touch(ready);
  Sleep(hold_ms);
  CloseClipboard();
  Touch(done);
  return 0;
}
