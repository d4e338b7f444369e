// bench_match: times the runner's window matcher against the desktop as it is
// (bench_windows fills it), next to bare passes that read the same texts.
// Prints one "NAME MICROSECONDS_PER_PASS" line for each of:
//   title_none       a title that matches no window (title match mode 1)
//   bare_titles      EnumWindows reading every visible title
//   text_none        an empty title and a text no child holds (every child asked)
//   bare_texts       EnumWindows and EnumChildWindows asking every visible child for its text
//
//   bench_match PASSES
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "windows/match.h"

namespace {

char g_text[8192];

BOOL CALLBACK OnChild(HWND child, LPARAM) {
  if (!IsWindowVisible(child)) return TRUE;
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(child, WM_GETTEXT, sizeof g_text, reinterpret_cast<LPARAM>(g_text),
                      SMTO_ABORTIFHUNG, 200, &copied);
  return TRUE;
}

BOOL CALLBACK OnTop(HWND window, LPARAM with_children) {
  if (!IsWindowVisible(window)) return TRUE;
  GetWindowTextA(window, g_text, sizeof g_text);
  if (with_children) EnumChildWindows(window, OnChild, 0);
  return TRUE;
}

double Seconds() {
  LARGE_INTEGER now, freq;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&freq);
  return static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
}

script::WindowPattern g_pattern;

void Report(const char* name, int passes, double seconds) {
  printf("%s %.1f\n", name, seconds * 1e6 / passes);
}

}  // namespace

int main(int argc, char** argv) {
  int passes = argc > 1 ? atoi(argv[1]) : 100;
  if (passes < 1) passes = 1;
  windows::MatchSettings settings = {1, 0, NULL, false, 0};
  HWND found = NULL;
  strcpy(g_pattern.title, "No such window");
  g_pattern.text[0] = '\0';
  for (int round = 0; round < 2; ++round) {  // the first round warms up
    double t = Seconds();
    for (int i = 0; i < passes; ++i) windows::FindMatchingWindow(g_pattern, settings, &found);
    if (round) Report("title_none", passes, Seconds() - t);
    t = Seconds();
    for (int i = 0; i < passes; ++i) EnumWindows(OnTop, 0);
    if (round) Report("bare_titles", passes, Seconds() - t);
  }
  g_pattern.title[0] = '\0';
  strcpy(g_pattern.text, "No such text");
  int text_passes = passes / 10 > 0 ? passes / 10 : 1;
  for (int round = 0; round < 2; ++round) {
    double t = Seconds();
    for (int i = 0; i < text_passes; ++i) windows::FindMatchingWindow(g_pattern, settings, &found);
    if (round) Report("text_none", text_passes, Seconds() - t);
    t = Seconds();
    for (int i = 0; i < text_passes; ++i) EnumWindows(OnTop, 1);
    if (round) Report("bare_texts", text_passes, Seconds() - t);
  }
  return 0;
}
