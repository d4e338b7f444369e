// Commands on profile (INI) files: IniRead, IniWrite and IniDelete. An ANSI
// script uses the ANSI profile functions; a UTF-8 script the Unicode ones,
// which keep every character only in a UTF-16 file (see CreateUnicodeProfile).
#include <wchar.h>
#include <windows.h>

#include "commands/handlers.h"
#include "script/limits.h"
#include "script/variables.h"
#include "windows/wide_text_win.h"

namespace commands {

namespace {

// What the profile service returns when the file, section or key is missing.
const char kIniDefault[] = "ERROR";

// A value read from a profile file: at most 1023 characters and the zero.
const DWORD kIniValueSize = 1024;

using windows::Wide;

// The profile functions keep Unicode text only in a file that is UTF-16 with
// its byte order mark; in any other file they store the ANSI code page's
// form. So a UTF-8 script's IniWrite into a file that does not exist yet
// first creates it as just that mark. A file that exists keeps its form,
// since other programs may read it. A name without a folder is one the
// profile functions look for in the Windows directory, which a program
// should not create files in: such a file is left to them (ANSI).
// True when it created the file.
bool CreateUnicodeProfile(const wchar_t* file) {
  if (wcspbrk(file, L"\\/:") == NULL) return false;  // no folder in the name
  HANDLE created = CreateFileW(file, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               NULL);
  if (created == INVALID_HANDLE_VALUE) return false;  // it exists (or cannot be made)
  static const unsigned char kUtf16Bom[2] = {0xFF, 0xFE};
  DWORD written;
  WriteFile(created, kUtf16Bom, sizeof(kUtf16Bom), &written, NULL);
  CloseHandle(created);
  return true;
}

// Writes (or, with a null value, removes) a key in the script's encoding.
void WriteProfile(const char* section, const char* key, const char* value, const char* file) {
  if (!Utf8Script()) {
    WritePrivateProfileStringA(section, key, value, file);
    return;
  }
  wchar_t* wide_file = Wide(file, 0);
  bool created = value != NULL && CreateUnicodeProfile(wide_file);
  // A write that fails leaves no file of just the byte order mark behind.
  if (!WritePrivateProfileStringW(Wide(section, 1), Wide(key, 2), Wide(value, 3), wide_file) &&
      created) {
    DeleteFileW(wide_file);
  }
}

// An empty section or key would make the profile service act on a whole
// section or file, so the three commands refuse it.
bool HasSectionAndKey(const char* section, const char* key) {
  return section[0] != '\0' && key[0] != '\0';
}

// IniRead, variable, file, section, key   e.g.  IniRead, Count, %A_SCRIPTDIR%app.ini, Main, Count
// Stores the key's value, or "ERROR" when there is none. A file name without a
// folder is looked for where the system keeps profile files, not in the
// working directory.
bool CmdIniRead(script::Interp& in, script::Fields& f) {
  if (!HasSectionAndKey(f.at[2], f.at[3])) {
    return in.Fail("IniRead: You must specify a section and value parameter!");
  }
  char value[kIniValueSize];
  if (Utf8Script()) {
    static wchar_t wide[kIniValueSize];
    GetPrivateProfileStringW(Wide(f.at[2], 0), Wide(f.at[3], 1), L"ERROR", wide, kIniValueSize,
                             Wide(f.at[1], 2));
    windows::ToUtf8(wide, value, kIniValueSize);
  } else {
    GetPrivateProfileStringA(f.at[2], f.at[3], kIniDefault, value, kIniValueSize, f.at[1]);
  }
  script::WriteVariable(*in.sys, f.at[0], value);
  return true;
}

// IniWrite, value, file, section, key   e.g.  IniWrite, 5, %A_SCRIPTDIR%app.ini, Main, Count
// Writes the value, creating the file, the section and the key as needed; the
// outcome is not reported.
bool CmdIniWrite(script::Interp& in, script::Fields& f) {
  if (!HasSectionAndKey(f.at[2], f.at[3])) {
    return in.Fail("IniWrite: You must specify a section and value parameter!");
  }
  WriteProfile(f.at[2], f.at[3], f.at[0], f.at[1]);
  return true;
}

// IniDelete, file, section, key   e.g.  IniDelete, %A_SCRIPTDIR%app.ini, Main, Count
// Removes one key, never a whole section; the outcome is not reported.
bool CmdIniDelete(script::Interp& in, script::Fields& f) {
  if (!HasSectionAndKey(f.at[1], f.at[2])) {
    return in.Fail("IniDelete: You must specify a section and value parameter!");
  }
  WriteProfile(f.at[1], f.at[2], NULL, f.at[0]);
  return true;
}

}  // namespace

void InstallIniCommands(script::Interp& in) {
  script::SetHandler(in, script::CMD_INIREAD, CmdIniRead);
  script::SetHandler(in, script::CMD_INIWRITE, CmdIniWrite);
  script::SetHandler(in, script::CMD_INIDELETE, CmdIniDelete);
}

}  // namespace commands
