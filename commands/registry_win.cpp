// Commands on registry values: RegRead, RegWrite and RegDelete. Each opens its
// key, acts and closes the key again on every path; the outcome is ERRORLEVEL.
#include <stdio.h>
#include <string.h>

#include <windows.h>

#include "commands/handlers.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"

namespace commands {

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
bool CmdRegRead(script::Interp& in, script::Fields& f) {
  const char* name = f.at[0];
  const char* type = f.at[1];
  const char* root = f.at[2];
  const char* subkey = f.at[3];
  const char* param = f.at[4];
  HKEY key;
  if (RegOpenKeyExA(RootKey(root), subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    script::SetErrorLevel(in, 1);
    return true;
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
      script::SetErrorLevel(in, 1);
      return true;
    }
    wsprintfA(text, "%lu", static_cast<unsigned long>(number));
  } else {
    DWORD size = kRegValueSize;
    LONG rc = RegQueryValueExA(key, param, NULL, NULL, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
      script::SetErrorLevel(in, 1);
      return true;
    }
    text[size <= kRegValueSize ? size : kRegValueSize] = '\0';
  }
  script::WriteVariable(*in.sys, name, text);
  script::SetErrorLevel(in, 0);
  return true;
}

// RegWrite, type, root, subkey, value name, data   e.g.  RegWrite, REG_DWORD, HKEY_CURRENT_USER, Software\\Acme, Runs, 3
// Writes the data as REG_DWORD (its integer value) or else as REG_SZ,
// creating the subkey and any missing keys above it. ERRORLEVEL 0 or 1.
bool CmdRegWrite(script::Interp& in, script::Fields& f) {
  const char* type = f.at[0];
  const char* root = f.at[1];
  const char* subkey = f.at[2];
  const char* value_name = f.at[3];
  const char* param = f.at[4];
  HKEY key;
  DWORD disposition;
  char no_class[] = "";
  if (RegCreateKeyExA(RootKey(root), subkey, 0, no_class, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      NULL, &key, &disposition) != ERROR_SUCCESS) {
    script::SetErrorLevel(in, 1);
    return true;
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
  script::SetErrorLevel(in, rc == ERROR_SUCCESS ? 0 : 1);
  return true;
}

// RegDelete, root, subkey, value name   e.g.  RegDelete, HKEY_CURRENT_USER, Software\\Acme, Runs
// Deletes one value (never a key). ERRORLEVEL 0, or 1 when the key cannot be
// opened or the value not deleted.
bool CmdRegDelete(script::Interp& in, script::Fields& f) {
  const char* root = f.at[0];
  const char* subkey = f.at[1];
  const char* param = f.at[2];
  HKEY key;
  if (RegOpenKeyExA(RootKey(root), subkey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
    script::SetErrorLevel(in, 1);
    return true;
  }
  LONG rc = RegDeleteValueA(key, param);
  RegCloseKey(key);
  script::SetErrorLevel(in, rc == ERROR_SUCCESS ? 0 : 1);
  return true;
}

}  // namespace

void InstallRegistryCommands(script::Interp& in) {
  script::SetHandler(in, script::CMD_REGREAD, CmdRegRead);
  script::SetHandler(in, script::CMD_REGWRITE, CmdRegWrite);
  script::SetHandler(in, script::CMD_REGDELETE, CmdRegDelete);
}

}  // namespace commands
