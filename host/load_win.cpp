// Reads the program's own file and hands its bytes to the loader; publishes
// the built-in path and system variables.
#include <string.h>
#include <windows.h>

#include "host/host.h"
#include "script/loader.h"
#include "script/pe_file.h"

namespace host {

namespace {

// Reads a whole file into memory allocated with HeapAlloc; false on any
// failure (cannot open, read error, no memory), with nothing left allocated.
bool ReadWholeFile(const char* path, unsigned char** data, DWORD* size) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  DWORD low = GetFileSize(file, &high);
  bool ok = low != INVALID_FILE_SIZE && high == 0;
  unsigned char* buffer = NULL;
  if (ok) {
    buffer = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, low ? low : 1));
    ok = buffer != NULL;
  }
  DWORD got = 0;
  if (ok) ok = ReadFile(file, buffer, low, &got, NULL) && got == low;
  CloseHandle(file);
  if (!ok) {
    if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
    return false;
  }
  *data = buffer;
  *size = low;
  return true;
}

}  // namespace

bool LoadOwnScript() {
  char path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
  path[n < MAX_PATH ? n : MAX_PATH] = '\0';
  unsigned char* data = NULL;
  DWORD size = 0;
  if (n == 0 || !ReadWholeFile(path, &data, &size)) {
    ReportLoadFailure();
    return false;
  }
  size = static_cast<DWORD>(script::ScriptDataEnd(data, size));  // a signature is no script
  script::LoadResult result = script::LoadScript(data, size, &g_interp.sections);
  HeapFree(GetProcessHeap(), 0, data);
  if (result != script::kLoadOk) {
    ReportLoadFailure();
    return false;
  }
  g_interp.pc = g_interp.sections.main.head;
  return true;
}

void PublishBuiltins() {
  char own[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(NULL, own, MAX_PATH);
  own[n < MAX_PATH ? n : MAX_PATH] = '\0';
  char full[MAX_PATH];
  char* name = NULL;
  DWORD len = GetFullPathNameA(own, MAX_PATH, full, &name);
  if (len > 0 && len < MAX_PATH) {
    SetEnvironmentVariableA("A_SCRIPTFULLPATH", full);
    const char* slash = strrchr(full, '\\');
    SetEnvironmentVariableA("A_SCRIPTNAME", slash ? slash + 1 : full);
    if (slash) full[slash - full + 1] = '\0';
    SetEnvironmentVariableA("A_SCRIPTDIR", full);
  }
  char dir[MAX_PATH + 1];
  DWORD dlen = GetCurrentDirectoryA(MAX_PATH, dir);
  if (dlen == 0 || dlen >= MAX_PATH) dir[0] = '\0';
  SetEnvironmentVariableA("A_WORKINGDIR", dir);
  SetEnvironmentVariableA("A_OSTYPE", g_host.system.platform == VER_PLATFORM_WIN32_NT ? "WIN32_NT"
                                                                                : "WIN32_WINDOWS");
}

}  // namespace host
