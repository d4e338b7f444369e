// Commands on registry values: RegRead, RegWrite and RegDelete. Each opens its
// key, acts and closes the key again on every path; the outcome is ERRORLEVEL.
#include <stdio.h>
#include <string.h>

#include <windows.h>

#include "commands/handlers.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"
#include "windows/wide_text_win.h"

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

using windows::Wide;

// The registry calls in the script's encoding: an ANSI script's names and
// strings go through the A functions as they are, a UTF-8 script's through
// the W functions, so the registry keeps every character.
LONG OpenKey(HKEY root, const char* subkey, REGSAM access, HKEY* key) {
  if (!Utf8Script()) return RegOpenKeyExA(root, subkey, 0, access, key);
  return RegOpenKeyExW(root, Wide(subkey, 0), 0, access, key);
}

LONG QueryValue(HKEY key, const char* name, void* data, DWORD* size) {
  BYTE* bytes = static_cast<BYTE*>(data);
  if (!Utf8Script()) return RegQueryValueExA(key, name, NULL, NULL, bytes, size);
  return RegQueryValueExW(key, Wide(name, 0), NULL, NULL, bytes, size);
}

LONG SetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
  const BYTE* bytes = static_cast<const BYTE*>(data);
  if (!Utf8Script()) return RegSetValueExA(key, name, 0, type, bytes, size);
  return RegSetValueExW(key, Wide(name, 0), 0, type, bytes, size);
}

// Reads a string value into text (kRegValueSize + 1 bytes), which always
// ends inside the buffer even when the stored data hold no zero. An ANSI
// script reads up to 1024 bytes; a UTF-8 script up to 1024 UTF-16 units,
// kept as UTF-8 cut to the same 1024 bytes (and the zero).
LONG QueryString(HKEY key, const char* name, char* text) {
  static wchar_t wide[kRegValueSize + 1];
  bool utf8 = Utf8Script();
  DWORD size = utf8 ? kRegValueSize * sizeof(wchar_t) : kRegValueSize;
  LONG rc = QueryValue(key, name, utf8 ? static_cast<void*>(wide) : text, &size);
  if (!utf8) {
    text[size <= kRegValueSize ? size : kRegValueSize] = '\0';
    return rc;
  }
  size /= sizeof(wchar_t);
  wide[size <= kRegValueSize ? size : kRegValueSize] = 0;
  windows::ToUtf8(wide, text, kRegValueSize + 1);
  return rc;
}

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
  if (OpenKey(RootKey(root), subkey, KEY_READ, &key) != ERROR_SUCCESS) {
    script::SetErrorLevel(in, 1);
    return true;
  }
  char text[kRegValueSize + 1];
  LONG rc;
  if (IsDwordType(type)) {
    // Data shorter than four bytes leaves the rest of the number at zero.
    DWORD number = 0;
    DWORD size = sizeof(number);
    rc = QueryValue(key, param, &number, &size);
    wsprintfA(text, "%lu", static_cast<unsigned long>(number));
  } else {
    rc = QueryString(key, param, text);
  }
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) {
    script::SetErrorLevel(in, 1);
    return true;
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
  wchar_t no_class_w[] = L"";
  LONG created = Utf8Script()
      ? RegCreateKeyExW(RootKey(root), Wide(subkey, 0), 0, no_class_w,
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, NULL, &key, &disposition)
      : RegCreateKeyExA(RootKey(root), subkey, 0, no_class, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        NULL, &key, &disposition);
  if (created != ERROR_SUCCESS) {
    script::SetErrorLevel(in, 1);
    return true;
  }
  LONG rc;
  if (IsDwordType(type)) {
    DWORD number = static_cast<DWORD>(script::IntegerValue(param));
    rc = SetValue(key, value_name, REG_DWORD, &number, sizeof(number));
  } else if (Utf8Script()) {
    const wchar_t* wide = Wide(param, 1);  // the value name takes slot 0
    DWORD size = static_cast<DWORD>((lstrlenW(wide) + 1) * sizeof(wchar_t));
    rc = SetValue(key, value_name, REG_SZ, wide, size);
  } else {
    DWORD size = static_cast<DWORD>(strlen(param) + 1);  // with the terminating zero
    rc = SetValue(key, value_name, REG_SZ, param, size);
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
  if (OpenKey(RootKey(root), subkey, KEY_WRITE, &key) != ERROR_SUCCESS) {
    script::SetErrorLevel(in, 1);
    return true;
  }
  LONG rc = Utf8Script() ? RegDeleteValueW(key, Wide(param, 0)) : RegDeleteValueA(key, param);
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
