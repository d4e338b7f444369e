// bench_edit: the typing target: a window titled "Kestro Bench Edit" whose
// edit control has the focus. It notes when the first and the last character
// arrive; once EXPECTED characters are in (or after LIFETIME_MS), it writes
// "COUNT MILLISECONDS" and then the text to OUT_FILE and ends.
//
//   bench_edit EXPECTED OUT_FILE [LIFETIME_MS]
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static HWND g_edit;
static int g_expected;
static const char* g_out;
static LARGE_INTEGER g_first, g_last, g_freq;
static bool g_started;

static void Finish() {
  static char text[65536];
  int n = GetWindowTextA(g_edit, text, sizeof text);
  FILE* f = fopen(g_out, "wb");
  if (f) {
    double ms = g_started ? 1000.0 * static_cast<double>(g_last.QuadPart - g_first.QuadPart) /
                                static_cast<double>(g_freq.QuadPart)
                          : 0.0;
    fprintf(f, "%d %.3f\n", n, ms);
    fwrite(text, 1, static_cast<size_t>(n), f);
    fclose(f);
  }
  PostQuitMessage(0);
}

static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wparam) == EN_CHANGE) {
        QueryPerformanceCounter(&g_last);
        if (!g_started) g_first = g_last;
        g_started = true;
        if (GetWindowTextLengthA(g_edit) >= g_expected) Finish();
      }
      return 0;
    case WM_SETFOCUS:
      SetFocus(g_edit);
      return 0;
    case WM_TIMER:
      Finish();
      return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  g_expected = atoi(argv[1]);
  g_out = argv[2];
  UINT lifetime = argc > 3 ? static_cast<UINT>(atoi(argv[3])) : 120000u;
  QueryPerformanceFrequency(&g_freq);
  HINSTANCE instance = GetModuleHandleA(NULL);
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = "BenchEdit";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("BenchEdit", "Kestro Bench Edit", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              100, 100, 600, 400, NULL, NULL, instance, NULL);
  g_edit = CreateWindowA("edit", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0,
                         580, 360, window, NULL, instance, NULL);
  SendMessageA(g_edit, EM_SETLIMITTEXT, 0, 0);
  SetForegroundWindow(window);
  SetFocus(g_edit);
  SetTimer(window, 1, lifetime, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
