// childproc: a console program that the Run and RunWait cases start. It appends
// what it received (arguments, working directory, show mode, environment
// variables) to a report file and ends with the exit code it is asked for.
//
//   childproc [--out FILE] [--base DIR] [--env NAME]... [--sleep MS] [--exit CODE]
//             [--text TEXT] [--wide NAME...] [ARG]...
//
// --out      report file, appended to in text mode (default child.txt in the
//            working directory)
// --base     shown as "<base>" where the working directory starts with DIR, so
//            that a report on a throw-away directory stays the same from run to run
// --env      reports the variable NAME (repeatable)
// --sleep    waits MS milliseconds before it writes the report
// --exit     exit code, decimal or 0x hexadecimal (default 0)
// --text     writes only this line instead of the report (to show the order of events)
// --wide     writes only "wide: TEXT" with the UTF-16 command line after "--wide " in
//            UTF-8, and "NAME=VALUE" for the variables named there, read as UTF-16
//            (the Unicode view of what a UTF-8 script handed over)
// Every other argument is reported, in order, in brackets.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <windows.h>

namespace {

const int kMaxEnv = 16;

struct Options {
  const char* out;
  const char* base;
  const char* text;
  const char* env[kMaxEnv];
  int env_count;
  DWORD sleep_ms;
  UINT exit_code;
  char args[4096];  // the plain arguments, each in brackets
  bool wide;        // --wide: the rest of the command line is for ReportWide
};

// Reads the options; false on a malformed command line.
bool ReadOptions(int argc, char** argv, Options* o) {
  memset(o, 0, sizeof(*o));
  o->out = "child.txt";
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    bool has_value = i + 1 < argc;
    if (strcmp(a, "--out") == 0 && has_value) {
      o->out = argv[++i];
    } else if (strcmp(a, "--base") == 0 && has_value) {
      o->base = argv[++i];
    } else if (strcmp(a, "--text") == 0 && has_value) {
      o->text = argv[++i];
    } else if (strcmp(a, "--env") == 0 && has_value) {
      if (o->env_count == kMaxEnv) return false;
      o->env[o->env_count++] = argv[++i];
    } else if (strcmp(a, "--sleep") == 0 && has_value) {
      o->sleep_ms = (DWORD)strtoul(argv[++i], NULL, 10);
    } else if (strcmp(a, "--wide") == 0) {
      o->wide = true;
      break;
    } else if (strcmp(a, "--exit") == 0 && has_value) {
      o->exit_code = (UINT)strtoul(argv[++i], NULL, 0);
    } else {
      size_t len = strlen(o->args);
      if (len + strlen(a) + 4 > sizeof(o->args)) return false;
      sprintf(o->args + len, "%s[%s]", len ? " " : "", a);
    }
  }
  return true;
}

// The working directory, with the --base prefix (any letter case) shown as "<base>".
void WorkingDirectory(const char* base, char* out, size_t size) {
  char dir[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(MAX_PATH, dir);
  if (n == 0 || n >= MAX_PATH) strcpy(dir, "?");
  size_t blen = base ? strlen(base) : 0;
  if (blen > 0 && _strnicmp(dir, base, blen) == 0) {
    snprintf(out, size, "<base>%s", dir + blen);
  } else {
    snprintf(out, size, "%s", dir);
  }
}

// STARTUPINFO's show value, or "none" when the parent did not set one.
void ShowMode(char* out, size_t size) {
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  if (startup.dwFlags & STARTF_USESHOWWINDOW) {
    snprintf(out, size, "%u", (unsigned)startup.wShowWindow);
  } else {
    snprintf(out, size, "none");
  }
}

}  // namespace

// The --wide report: the command line's tail after "--wide " and the values of
// the variables named in it, as UTF-16 read and written in UTF-8.
static void ReportWide(FILE* f) {
  static char utf8[3 * 32768];
  const wchar_t* tail = wcsstr(GetCommandLineW(), L"--wide ");
  if (!tail) return;
  tail += 7;
  WideCharToMultiByte(CP_UTF8, 0, tail, -1, utf8, sizeof(utf8), NULL, NULL);
  fprintf(f, "wide: %s\n", utf8);
  static wchar_t name[1024];
  static wchar_t value[32768];
  for (const wchar_t* p = tail; *p;) {
    int n = 0;
    while (p[n] && p[n] != L' ' && n < 1023) ++n;
    lstrcpynW(name, p, n + 1);
    p += n;
    while (*p == L' ') ++p;
    if (!GetEnvironmentVariableW(name, value, 32768)) continue;
    WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof(utf8), NULL, NULL);
    fprintf(f, "%s=", utf8);
    WideCharToMultiByte(CP_UTF8, 0, value, -1, utf8, sizeof(utf8), NULL, NULL);
    fprintf(f, "%s\n", utf8);
  }
}

int main(int argc, char** argv) {
  static Options o;
  if (!ReadOptions(argc, argv, &o)) {
    fputs("childproc: bad command line\n", stderr);
    return 2;
  }
  if (o.sleep_ms) Sleep(o.sleep_ms);
  FILE* f = fopen(o.out, "a");
  if (!f) {
    fprintf(stderr, "childproc: cannot write %s\n", o.out);
    return 2;
  }
  if (o.text) {
    fprintf(f, "%s\n", o.text);
    fclose(f);
    ExitProcess(o.exit_code);
  }
  if (o.wide) {
    ReportWide(f);
    fclose(f);
    ExitProcess(o.exit_code);
  }
  char dir[MAX_PATH + 16];
  char show[16];
  WorkingDirectory(o.base, dir, sizeof(dir));
  ShowMode(show, sizeof(show));
  fprintf(f, "args: %s\ncwd: %s\nshow: %s\n", o.args, dir, show);
  for (int i = 0; i < o.env_count; ++i) {
    char value[1100];
    DWORD n = GetEnvironmentVariableA(o.env[i], value, sizeof(value));
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
      fprintf(f, "env %s unset\n", o.env[i]);
    } else {
      fprintf(f, "env %s=%s\n", o.env[i], n < sizeof(value) ? value : "(too long)");
    }
  }
  fclose(f);
  // ExitProcess rather than return: the code may be any 32-bit value.
  ExitProcess(o.exit_code);
}
