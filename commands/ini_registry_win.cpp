// Commands on profile (INI) files: IniRead, IniWrite and IniDelete. The
// installer also plugs in the registry commands of commands/registry_win.cpp.
#include <windows.h>

#include "commands/handlers.h"
#include "script/commands.h"
#include "script/engine.h"
#include "script/limits.h"
#include "script/params.h"
#include "script/variables.h"

namespace commands {

// Installs RegRead, RegWrite and RegDelete (commands/registry_win.cpp).
void InstallRegistryCommands();

namespace {

// What the profile service returns when the file, section or key is missing.
const char kIniDefault[] = "ERROR";

// A value read from a profile file: at most 1023 characters and the zero.
const DWORD kIniValueSize = 1024;

// IniRead, variable, file, section, key   e.g.  IniRead, Count, %A_SCRIPTDIR%app.ini, Main, Count
// Stores the key's value, or "ERROR" when there is none. A file name without a
// folder is looked for where the system keeps profile files, not in the
// working directory.
void CmdIniRead(char* line, char* param, int* cursor) {
  char name[script::kBufSize];
  char file[script::kBufSize];
  char section[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, name);
  missing += script::SplitField(',', line, cursor, file);
  missing += script::SplitField(',', line, cursor, section);
  script::SplitField(0, line, cursor, param);
  if (missing != 0) {
    script::ReportError("IniRead: Invalid number of parameters!");
    return;
  }
  if (section[0] == '\0' || param[0] == '\0') {
    script::ReportError("IniRead: You must specify a section and value parameter!");
    return;
  }
  char value[kIniValueSize];
  GetPrivateProfileStringA(section, param, kIniDefault, value, kIniValueSize, file);
  script::WriteVariable(name, value);
}

// IniWrite, value, file, section, key   e.g.  IniWrite, 5, %A_SCRIPTDIR%app.ini, Main, Count
// Writes the value, creating the file, the section and the key as needed; the
// outcome is not reported.
void CmdIniWrite(char* line, char* param, int* cursor) {
  char value[script::kBufSize];
  char file[script::kBufSize];
  char section[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, value);
  missing += script::SplitField(',', line, cursor, file);
  missing += script::SplitField(',', line, cursor, section);
  script::SplitField(0, line, cursor, param);
  if (missing != 0) {
    script::ReportError("IniWrite: Invalid number of parameters!");
    return;
  }
  if (section[0] == '\0' || param[0] == '\0') {
    script::ReportError("IniWrite: You must specify a section and value parameter!");
    return;
  }
  WritePrivateProfileStringA(section, param, value, file);
}

// IniDelete, file, section, key   e.g.  IniDelete, %A_SCRIPTDIR%app.ini, Main, Count
// Removes one key, never a whole section; the outcome is not reported.
void CmdIniDelete(char* line, char* param, int* cursor) {
  char file[script::kBufSize];
  char section[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, file);
  missing += script::SplitField(',', line, cursor, section);
  script::SplitField(0, line, cursor, param);
  if (missing != 0) {
    script::ReportError("IniDelete: Invalid number of parameters!");
    return;
  }
  if (section[0] == '\0' || param[0] == '\0') {
    script::ReportError("IniDelete: You must specify a section and value parameter!");
    return;
  }
  WritePrivateProfileStringA(section, param, NULL, file);
}

}  // namespace

void InstallIniRegistryCommands() {
  script::SetCommandHandler(script::CMD_INIREAD, CmdIniRead);
  script::SetCommandHandler(script::CMD_INIWRITE, CmdIniWrite);
  script::SetCommandHandler(script::CMD_INIDELETE, CmdIniDelete);
  InstallRegistryCommands();
}

}  // namespace commands
