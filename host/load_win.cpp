// Reads the program's own file and hands its bytes to the loader; publishes
// the built-in path and system variables.
#include <string.h>
#include <windows.h>

#include "host/host.h"
#include "script/loader.h"
#include "script/pe_file.h"
#include "script/text_encoding.h"
#include "windows/wide_text_win.h"

namespace host {

namespace {

// Opens the program's own file by its UTF-16 name, so that it loads from a
// folder whose name the ANSI code page cannot write; a system without the W
// functions (the 95 family) opens it by its ANSI name.
HANDLE OpenOwnFile() {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  wchar_t wide[MAX_PATH + 1];
  DWORD n = GetModuleFileNameW(NULL, wide, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    wide[n] = L'\0';
    return CreateFileW(wide, GENERIC_READ, share, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       NULL);
  }
  char path[MAX_PATH + 1];
  n = GetModuleFileNameA(NULL, path, MAX_PATH);
  if (n == 0) return INVALID_HANDLE_VALUE;
  path[n < MAX_PATH ? n : MAX_PATH] = '\0';
  return CreateFileA(path, GENERIC_READ, share, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

// Reads the program's own file into memory allocated with HeapAlloc; false on
// any failure (cannot open, read error, no memory), with nothing left allocated.
bool ReadOwnFile(unsigned char** data, DWORD* size) {
  HANDLE file = OpenOwnFile();
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
  unsigned char* data = NULL;
  DWORD size = 0;
  if (!ReadOwnFile(&data, &size)) {
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
  // A script this Windows cannot run stops here, with a box that says why,
  // rather than running with every text empty. The report is made in ANSI,
  // the only text the 95 family's functions take.
  const char* refusal = script::ScriptKindRefusal(g_host.system.platform, g_interp.sections.utf8);
  if (refusal != NULL) {
    script::FreeSection(&g_interp.sections.main);
    script::FreeSection(&g_interp.sections.adlib);
    g_interp.sections.utf8 = false;
    ReportLoadFailure(refusal);
    return false;
  }
  g_interp.pc = g_interp.sections.main.head;
  return true;
}

// A path of MAX_PATH UTF-16 units as UTF-8, at most three bytes each.
const int kPathBytes = 3 * MAX_PATH + 1;

// The program's full path and the working directory as the script's text
// (UTF-8 for a UTF-8 script, else ANSI); a path that does not fit is empty.
static void ReadPaths(char* full, char* dir) {
  full[0] = '\0';
  dir[0] = '\0';
  if (g_interp.sections.utf8) {
    // The module's file name is a full path already.
    wchar_t wide[MAX_PATH];
    DWORD len = GetModuleFileNameW(NULL, wide, MAX_PATH);
    if (len > 0 && len < MAX_PATH) windows::ToUtf8(wide, full, kPathBytes);
    len = GetCurrentDirectoryW(MAX_PATH, wide);
    if (len > 0 && len < MAX_PATH) windows::ToUtf8(wide, dir, kPathBytes);
    return;
  }
  char own[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(NULL, own, MAX_PATH);
  own[n < MAX_PATH ? n : MAX_PATH] = '\0';
  DWORD len = GetFullPathNameA(own, MAX_PATH, full, NULL);
  if (len == 0 || len >= MAX_PATH) full[0] = '\0';
  len = GetCurrentDirectoryA(MAX_PATH, dir);
  if (len == 0 || len >= MAX_PATH) dir[0] = '\0';
}

// Sets a variable through the services, in the script's encoding.
static void Publish(const char* name, const char* value) {
  g_services.set_env(g_services.context, name, value);
}

void PublishBuiltins() {
  char full[kPathBytes];
  char dir[kPathBytes];
  ReadPaths(full, dir);
  if (full[0] != '\0') {
    Publish("A_SCRIPTFULLPATH", full);
    char* slash = strrchr(full, '\\');
    Publish("A_SCRIPTNAME", slash ? slash + 1 : full);
    if (slash) slash[1] = '\0';
    Publish("A_SCRIPTDIR", full);
  }
  Publish("A_WORKINGDIR", dir);
  bool nt = g_host.system.platform == VER_PLATFORM_WIN32_NT;
  Publish("A_OSTYPE", nt ? "WIN32_NT" : "WIN32_WINDOWS");
}

}  // namespace host
