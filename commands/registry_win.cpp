// Commands on registry values: RegRead, RegWrite and RegDelete. Each opens its
// key, acts and closes the key again on every path; the outcome is ERRORLEVEL.
#include <stdio.h>
#include <string.h>

#include <windows.h>

#include "script/commands.h"
#include "script/engine.h"
#include "script/limits.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"

namespace commands {

void InstallRegistryCommands();

namespace {

// Root key names, matched without regard to letter case in this order.
struct RootName {
  const char* name;
  HKEY key;
};

const RootName kRoots[] = {
  {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
  {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
  {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
  {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
  {"HKEY_USERS", HKEY_USERS},
};

// String data read from the registry: at most this many bytes.
const DWORD kRegValueSize = 1024;

// A root name that is none of the table's selects HKEY_LOCAL_MACHINE.
HKEY RootKey(const char* name) {
  for (size_t i = 0; i < sizeof(kRoots) / sizeof(kRoots[0]); ++i) {
    if (script::EqualsNoCase(name, kRoots[i].name)) return kRoots[i].key;
  }
  return HKEY_LOCAL_MACHINE;
}

// "REG_DWORD" selects a 32-bit number; every other word a string.
bool IsDwordType(const char* type) { return script::EqualsNoCase(type, "REG_DWORD"); }

// RegRead, variable, type, root, subkey, value name   e.g.  RegRead, Ver, REG_SZ, HKEY_LOCAL_MACHINE, Software\\Acme, Version
// Stores the value's data: a REG_DWORD read as unsigned decimal, anything else
// as text. The stored type of the value is not consulted. ERRORLEVEL 0, or 1
// (the variable unchanged) when the key or value cannot be read.
void CmdRegRead(char* line, char* param, int* cursor) {
  char name[script::kBufSize];
  char type[script::kBufSize];
  char root[script::kBufSize];
  char subkey[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, name);
  missing += script::SplitField(',', line, cursor, type);
  missing += script::SplitField(',', line, cursor, root);
  missing += script::SplitField(',', line, cursor, subkey);
  script::SplitField(0, line, cursor, param);
  if (missing != 0) {
    script::ReportError("RegRead: Invalid number of parameters!");
    return;
  }
  HKEY key;
  if (RegOpenKeyExA(RootKey(root), subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    script::SetErrorLevel(1);
    return;
  }
  // One byte more than the query may fill, so that the text always ends
  // inside the buffer even when the stored bytes hold no zero.
  char text[kRegValueSize + 1];
  if (IsDwordType(type)) {
    // Data shorter than four bytes leaves the rest of the number at zero.
    DWORD number = 0;
    DWORD size = sizeof(number);
    LONG rc = RegQueryValueExA(key, param, NULL, NULL, reinterpret_cast<BYTE*>(&number), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
      script::SetErrorLevel(1);
      return;
    }
    wsprintfA(text, "%lu", static_cast<unsigned long>(number));
  } else {
    DWORD size = kRegValueSize;
    LONG rc = RegQueryValueExA(key, param, NULL, NULL, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
      script::SetErrorLevel(1);
      return;
    }
    text[size <= kRegValueSize ? size : kRegValueSize] = '\0';
  }
  script::WriteVariable(name, text);
  script::SetErrorLevel(0);
}

// RegWrite, type, root, subkey, value name, data   e.g.  RegWrite, REG_DWORD, HKEY_CURRENT_USER, Software\\Acme, Runs, 3
// Writes the data as REG_DWORD (its integer value) or else as REG_SZ,
// creating the subkey and any missing keys above it. ERRORLEVEL 0 or 1.
void CmdRegWrite(char* line, char* param, int* cursor) {
  char type[script::kBufSize];
  char root[script::kBufSize];
  char subkey[script::kBufSize];
  char value_name[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, type);
  missing += script::SplitField(',', line, cursor, root);
  missing += script::SplitField(',', line, cursor, subkey);
  missing += script::SplitField(',', line, cursor, value_name);
  script::SplitField(0, line, cursor, param);
  if (missing != 0) {
    script::ReportError("RegWrite: Invalid number of parameters!");
    return;
  }
  HKEY key;
  DWORD disposition;
  char no_class[] = "";
  if (RegCreateKeyExA(RootKey(root), subkey, 0, no_class, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      NULL, &key, &disposition) != ERROR_SUCCESS) {
    script::SetErrorLevel(1);
    return;
  }
  LONG rc;
  if (IsDwordType(type)) {
    DWORD number = static_cast<DWORD>(script::IntegerValue(param));
    rc = RegSetValueExA(key, value_name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                        sizeof(number));
  } else {
    DWORD size = static_cast<DWORD>(strlen(param) + 1);  // with the terminating zero
    rc = RegSetValueExA(key, value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(param), size);
  }
  RegCloseKey(key);
  script::SetErrorLevel(rc == ERROR_SUCCESS ? 0 : 1);
}

// RegDelete, root, subkey, value name   e.g.  RegDelete, HKEY_CURRENT_USER, Software\\Acme, Runs
// Deletes one value (never a key). ERRORLEVEL 0, or 1 when the key cannot be
// opened or the value not deleted.
void CmdRegDelete(char* line, char* param, int* cursor) {
  char root[script::kBufSize];
  char subkey[script::kBufSize];
  int missing = script::SplitField(',', line, cursor, root);
  missing += script::SplitField(',', line, cursor, subkey);
  script::SplitField(0, line, cursor, param);
  if (missing != 0) {
    script::ReportError("RegDelete: Invalid number of parameters!");
    return;
  }
  HKEY key;
  if (RegOpenKeyExA(RootKey(root), subkey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
    script::SetErrorLevel(1);
    return;
  }
  LONG rc = RegDeleteValueA(key, param);
  RegCloseKey(key);
  script::SetErrorLevel(rc == ERROR_SUCCESS ? 0 : 1);
}

}  // namespace

void InstallRegistryCommands() {
  script::SetCommandHandler(script::CMD_REGREAD, CmdRegRead);
  script::SetCommandHandler(script::CMD_REGWRITE, CmdRegWrite);
  script::SetCommandHandler(script::CMD_REGDELETE, CmdRegDelete);
}

}  // namespace commands
