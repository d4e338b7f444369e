// procwatch: samples a program's private bytes, handle count and GDI and USER
// object counts while it runs, for the soak test: a long run must keep them flat.
//
//   procwatch --exe NAME [--every MS] [--out FILE] [--verdict FILE] [--wait MS]
//
// --exe      the program's file name (e.g. case.exe); the first such process is watched
// --every    the sampling period (default 500 ms)
// --out      one line per sample: "ms private handles gdi user working-set"
//            (Wine reports no handle or GUI object counts: they read 0 there)
// --verdict  written when the program has ended: one line per measure,
//            "private flat", "handles flat", ... or "private grew N", ...;
//            growth is measured from the sample a quarter into the run to the last
// --wait     how long to wait for the program to start (default 20000 ms)
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <vector>

namespace {

struct Sample {
  DWORD ms;
  SIZE_T private_bytes;
  SIZE_T working_set;
  DWORD handles;
  DWORD gdi;
  DWORD user;
};

DWORD FindProcess(const char* name) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof(entry);
  DWORD found = 0;
  for (BOOL ok = Process32First(snap, &entry); ok && !found; ok = Process32Next(snap, &entry)) {
    if (lstrcmpiA(entry.szExeFile, name) == 0) found = entry.th32ProcessID;
  }
  CloseHandle(snap);
  return found;
}

bool Take(HANDLE process, DWORD start, Sample* s) {
  PROCESS_MEMORY_COUNTERS_EX counters;
  memset(&counters, 0, sizeof(counters));
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof(counters))) {
    return false;
  }
  s->ms = GetTickCount() - start;
  // Some systems leave PrivateUsage at zero; the page-file usage counts the
  // same committed private memory there.
  s->private_bytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  s->working_set = counters.WorkingSetSize;
  s->handles = 0;
  GetProcessHandleCount(process, &s->handles);
  s->gdi = GetGuiResources(process, GR_GDIOBJECTS);
  s->user = GetGuiResources(process, GR_USEROBJECTS);
  return true;
}

// One verdict line: flat when the growth stays within the allowance.
void Judge(FILE* f, const char* what, double from, double to, double allowance) {
  if (to - from <= allowance) fprintf(f, "%s flat\n", what);
  else fprintf(f, "%s grew %.0f\n", what, to - from);
}

}  // namespace

int main(int argc, char** argv) {
  const char* exe = NULL;
  const char* out_path = NULL;
  const char* verdict_path = NULL;
  DWORD every = 500, wait_ms = 20000;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--exe")) exe = argv[i + 1];
    else if (!strcmp(argv[i], "--every")) every = static_cast<DWORD>(atoi(argv[i + 1]));
    else if (!strcmp(argv[i], "--out")) out_path = argv[i + 1];
    else if (!strcmp(argv[i], "--verdict")) verdict_path = argv[i + 1];
    else if (!strcmp(argv[i], "--wait")) wait_ms = static_cast<DWORD>(atoi(argv[i + 1]));
  }
  if (!exe) {
    fprintf(stderr, "usage: procwatch --exe NAME [--every MS] [--out FILE] [--verdict FILE]\n");
    return 2;
  }
  DWORD start = GetTickCount();
  DWORD pid = 0;
  while (!(pid = FindProcess(exe)) && GetTickCount() - start < wait_ms) Sleep(50);
  HANDLE process = pid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE,
                                     FALSE, pid)
                       : NULL;
  if (!process) {
    fprintf(stderr, "procwatch: %s not found\n", exe);
    return 1;
  }
  std::vector<Sample> samples;
  FILE* out = out_path ? fopen(out_path, "wb") : NULL;
  start = GetTickCount();
  do {
    Sample s;
    if (!Take(process, start, &s)) break;
    samples.push_back(s);
    if (out) {
      fprintf(out, "%lu %lu %lu %lu %lu %lu\n", static_cast<unsigned long>(s.ms),
              static_cast<unsigned long>(s.private_bytes), static_cast<unsigned long>(s.handles),
              static_cast<unsigned long>(s.gdi), static_cast<unsigned long>(s.user),
              static_cast<unsigned long>(s.working_set));
      fflush(out);
    }
  } while (WaitForSingleObject(process, every) == WAIT_TIMEOUT);
  if (out) fclose(out);
  CloseHandle(process);
  if (!verdict_path) return 0;
  FILE* verdict = fopen(verdict_path, "wb");
  if (!verdict) return 1;
  if (samples.size() < 4) {
    fprintf(verdict, "too few samples (%lu)\n", static_cast<unsigned long>(samples.size()));
  } else {
    const Sample& a = samples[samples.size() / 4];
    const Sample& b = samples.back();
    Judge(verdict, "private", static_cast<double>(a.private_bytes),
          static_cast<double>(b.private_bytes), 256 * 1024);
    Judge(verdict, "handles", a.handles, b.handles, 4);
    Judge(verdict, "gdi", a.gdi, b.gdi, 4);
    Judge(verdict, "user", a.user, b.user, 4);
  }
  fclose(verdict);
  return 0;
}
