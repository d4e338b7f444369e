// Commands on profile (INI) files: IniRead, IniWrite and IniDelete.
#include <windows.h>

#include "commands/handlers.h"
#include "script/variables.h"

namespace commands {

namespace {

// What the profile service returns when the file, section or key is missing.
const char kIniDefault[] = "ERROR";

// A value read from a profile file: at most 1023 characters and the zero.
const DWORD kIniValueSize = 1024;

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
  GetPrivateProfileStringA(f.at[2], f.at[3], kIniDefault, value, kIniValueSize, f.at[1]);
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
  WritePrivateProfileStringA(f.at[2], f.at[3], f.at[0], f.at[1]);
  return true;
}

// IniDelete, file, section, key   e.g.  IniDelete, %A_SCRIPTDIR%app.ini, Main, Count
// Removes one key, never a whole section; the outcome is not reported.
bool CmdIniDelete(script::Interp& in, script::Fields& f) {
  if (!HasSectionAndKey(f.at[1], f.at[2])) {
    return in.Fail("IniDelete: You must specify a section and value parameter!");
  }
  WritePrivateProfileStringA(f.at[1], f.at[2], NULL, f.at[0]);
  return true;
}

}  // namespace

void InstallIniCommands(script::Interp& in) {
  script::SetHandler(in, script::CMD_INIREAD, CmdIniRead);
  script::SetHandler(in, script::CMD_INIWRITE, CmdIniWrite);
  script::SetHandler(in, script::CMD_INIDELETE, CmdIniDelete);
}

}  // namespace commands
