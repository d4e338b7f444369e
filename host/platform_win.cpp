// The operating-system services of the portable core over Win32: environment,
// clipboard, local time, the error box (or its log line when unattended), the
// window matcher, the foreground window, processes and the message box.
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "commands/handlers.h"
#include "host/host.h"
#include "windows/match.h"
#include "windows/wide_text_win.h"

// A UTF-8 script's text (host::g_interp.sections.utf8, which the loader
// decides) goes to Windows through the W functions; an ANSI script's through
// the A functions, as its bytes are.
namespace {

using windows::ToUtf8;
using windows::Wide;

bool g_unattended;               // errors go to the log instead of a box
char g_log_path[MAX_PATH];       // empty: standard error

// Appends one line to the unattended log (or standard error).
void WriteLogLine(const char* text) {
  if (g_log_path[0]) {
    // A UTF-8 script's log path came from the UTF-16 command line.
    FILE* f = host::g_interp.sections.utf8 ? _wfopen(windows::Wide(g_log_path, 0), L"ab")
                                           : fopen(g_log_path, "ab");
    if (!f) return;
    fputs(text, f);
    fputs("\r\n", f);
    fclose(f);
    return;
  }
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == NULL || err == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(err, text, lstrlenA(text), &written, NULL);
  WriteFile(err, "\r\n", 2, &written, NULL);
}

// The script's file name, for naming it in log lines.
// UTF-8 for a UTF-8 script, so that the whole log line is.
const char* ScriptName() {
  static char name[3 * MAX_PATH + 1];
  if (host::g_interp.sections.utf8) {
    static wchar_t wide[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(NULL, wide, MAX_PATH);
    wide[n < MAX_PATH ? n : MAX_PATH] = 0;
    ToUtf8(wide, name, sizeof(name));
  } else {
    DWORD n = GetModuleFileNameA(NULL, name, MAX_PATH);
    name[n < MAX_PATH ? n : MAX_PATH] = '\0';
  }
  const char* slash = strrchr(name, '\\');
  return slash ? slash + 1 : name;
}

}  // namespace

namespace host {

void SetUnattended(const char* log_path) {
  g_unattended = true;
  lstrcpynA(g_log_path, log_path, sizeof(g_log_path));
}

bool Unattended() { return g_unattended; }

void ReportLoadFailure(const char* message) {
  if (g_unattended) {
    char line[1024];  // wsprintfA writes at most 1024 characters
    wsprintfA(line, "%s: %s", ScriptName(), message);
    WriteLogLine(line);
    return;
  }
  MessageBoxA(NULL, message, "Kestro Error", MB_SYSTEMMODAL | MB_ICONERROR);
}

}  // namespace host

namespace {

void GetEnv(void*, const char* name, char* out, int size) {
  // Read into a buffer that fits any environment value, then cut to size, so
  // that a long value is cut rather than lost.
  static char value[32768];
  out[0] = '\0';
  if (host::g_interp.sections.utf8) {
    static wchar_t wide[32768];
    DWORD n = GetEnvironmentVariableW(Wide(name, 0), wide, 32768);
    if (n > 0 && n < 32768) ToUtf8(wide, out, size + 1);
    return;
  }
  DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  if (n == 0 || n >= sizeof(value)) return;
  lstrcpynA(out, value, size + 1);
}

void SetEnv(void*, const char* name, const char* value) {
  if (host::g_interp.sections.utf8) SetEnvironmentVariableW(Wide(name, 0), Wide(value, 1));
  else SetEnvironmentVariableA(name, value);
}

// Another program may hold the clipboard open for a moment; it is tried
// again for a bounded while (kClipboardTries times kClipboardRetryMs) before a
// read gives its documented text and a write leaves the clipboard as it was.
const int kClipboardTries = 40;
const DWORD kClipboardRetryMs = 25;

bool OpenClipboardBounded() {
  for (int tries = 0; tries < kClipboardTries; ++tries) {
    if (tries > 0) Sleep(kClipboardRetryMs);
    if (OpenClipboard(host::g_host.window)) return true;
  }
  return false;
}

// A UTF-8 script reads and writes the clipboard's Unicode text; the system
// gives other programs the ANSI form of it.
void ReadClipboard(void*, char* out, int size) {
  out[0] = '\0';
  bool utf8 = host::g_interp.sections.utf8;
  UINT format = utf8 ? CF_UNICODETEXT : CF_TEXT;
  if (!IsClipboardFormatAvailable(format)) return;
  bool ok = false;
  if (OpenClipboardBounded()) {
    HANDLE data = GetClipboardData(format);
    const void* text = data ? GlobalLock(data) : NULL;
    if (text) {
      if (utf8) ToUtf8(static_cast<const wchar_t*>(text), out, size + 1);
      else lstrcpynA(out, static_cast<const char*>(text), size + 1);
      GlobalUnlock(data);
      ok = true;
    }
    CloseClipboard();
  }
  if (!ok) lstrcpynA(out, "Kestro Clipboard overflow", size + 1);
}

void WriteClipboard(void*, const char* value) {
  const void* data = value;
  SIZE_T bytes = static_cast<SIZE_T>(lstrlenA(value)) + 1;
  UINT format = CF_TEXT;
  if (host::g_interp.sections.utf8) {
    const wchar_t* wide = Wide(value, 0);
    data = wide;
    bytes = (static_cast<SIZE_T>(lstrlenW(wide)) + 1) * sizeof(wchar_t);
    format = CF_UNICODETEXT;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!block) return;
  void* text = GlobalLock(block);
  if (!text) {
    GlobalFree(block);
    return;
  }
  memcpy(text, data, bytes);
  GlobalUnlock(block);
  if (!OpenClipboardBounded()) {
    GlobalFree(block);
    return;
  }
  EmptyClipboard();
  // The clipboard owns the block once it has taken it.
  if (!SetClipboardData(format, block)) GlobalFree(block);
  CloseClipboard();
}

void LocalTime(void*, script::TimeParts* out) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  out->sec = st.wSecond;
  out->min = st.wMinute;
  out->hour = st.wHour;
  out->mday = st.wDay;
  out->mon = st.wMonth;
  out->year = st.wYear;
  out->wday = st.wDayOfWeek + 1;
  // Day of the year from the month table, with the leap day from March on.
  static const int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int y = st.wYear;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  out->yday = kDaysBefore[st.wMonth - 1] + st.wDay + (leap && st.wMonth > 2 ? 1 : 0);
}

void ShowScriptError(void*, int line_number, const char* title, const char* message) {
  if (g_unattended) {
    char line[2048];  // the script's name (up to 780 bytes in UTF-8) and a message
    _snprintf(line, sizeof(line) - 1, "%s: Line %d: %s", ScriptName(), line_number, message);
    line[sizeof(line) - 1] = '\0';
    WriteLogLine(line);
    return;
  }
  windows::ShowBox(host::g_host.window, message, title, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL,
                   host::g_interp.sections.utf8);
}

// Starting the timer again under the same id replaces a pending one.
void ArmWaitTimer(void*, unsigned int ms) {
  SetTimer(host::g_host.window, host::kWaitTimeoutTimer, ms, NULL);
}

// The status edit shows the line being run, so no text test looks into it.
script::WindowHandle FindWindowFor(void*, const script::WindowPattern& pattern,
                                   int title_match_mode, int detect_hidden_text,
                                   int detect_accessible_text) {
  windows::MatchSettings settings = {title_match_mode, detect_hidden_text, host::g_host.status_edit,
                                     host::g_interp.sections.utf8, detect_accessible_text};
  HWND found = NULL;
  windows::FindMatchingWindow(pattern, settings, &found);
  return found;
}

script::WindowHandle ForegroundWindow(void*) { return GetForegroundWindow(); }

// Asked of the process itself rather than read from its exit code, which may
// be 259 (STILL_ACTIVE) for a program that has ended.
bool ProcessEnded(void*, script::ProcessHandle process, int* exit_code) {
  if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) return false;
  DWORD code = 1;
  if (!GetExitCodeProcess(process, &code)) code = 1;
  *exit_code = static_cast<int>(code);
  return true;
}

void CloseProcess(void*, script::ProcessHandle process) { CloseHandle(process); }

// FindFirstFile hands back INVALID_HANDLE_VALUE, not NULL, when it finds nothing.
script::SearchHandle OpenSearch(void*, const char* path) {
  HANDLE search;
  if (host::g_interp.sections.utf8) {
    WIN32_FIND_DATAW found;
    search = FindFirstFileW(Wide(path, 0), &found);
  } else {
    WIN32_FIND_DATAA found;
    search = FindFirstFileA(path, &found);
  }
  return search == INVALID_HANDLE_VALUE ? NULL : search;
}

void CloseSearch(void*, script::SearchHandle search) { FindClose(search); }

}  // namespace

namespace host {

void FillServices(script::Services* sys) {
  sys->context = NULL;
  sys->get_env = GetEnv;
  sys->set_env = SetEnv;
  sys->read_clipboard = ReadClipboard;
  sys->write_clipboard = WriteClipboard;
  sys->local_time = LocalTime;
  sys->show_error = ShowScriptError;
  sys->arm_wait_timer = ArmWaitTimer;
  sys->find_window = FindWindowFor;
  sys->foreground_window = ForegroundWindow;
  sys->process_ended = ProcessEnded;
  sys->close_process = CloseProcess;
  sys->open_search = OpenSearch;
  sys->close_search = CloseSearch;
  sys->message_box = commands::ShowMessageBox;
}

}  // namespace host
