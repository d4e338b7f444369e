// bench_windows: fills the desktop for the matcher and wait figures: WINDOWS
// visible top-level windows titled "Bench window N", each with CHILDREN static
// controls "child N.M". Writes READY_FILE once they all exist; runs until killed.
//
//   bench_windows WINDOWS CHILDREN READY_FILE
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  int windows = atoi(argv[1]);
  int children = atoi(argv[2]);
  HINSTANCE instance = GetModuleHandleA(NULL);
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "BenchWindow";
  RegisterClassA(&wc);
  char text[64];
  for (int w = 0; w < windows; ++w) {
    snprintf(text, sizeof text, "Bench window %d", w);
    HWND top = CreateWindowA("BenchWindow", text, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             (w % 20) * 10, (w / 20) * 10, 200, 120, NULL, NULL, instance, NULL);
    for (int c = 0; c < children; ++c) {
      snprintf(text, sizeof text, "child %d.%d", w, c);
      CreateWindowA("static", text, WS_CHILD | WS_VISIBLE, 0, c * 10, 150, 10, top, NULL,
                    instance, NULL);
    }
  }
  FILE* ready = fopen(argv[3], "w");
  if (ready) fclose(ready);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
