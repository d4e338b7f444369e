// The path conditions: IfExist and IfNotExist run the rest of their line when
// a search for the path finds an entry, or finds none.
#include <windows.h>

#include "commands/handlers.h"

namespace commands {

namespace {

// Runs the rest of the line when a search for the path finds an entry (want
// true) or finds none (want false). Wildcards may stand in the last component;
// directories count. The search stays open until the tail has run.
bool TestPath(script::Interp& in, script::Fields& f, bool want) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(f.at[0], &found);
  bool exists = search != INVALID_HANDLE_VALUE;
  bool ok = exists == want ? script::RunTail(in, f) : true;
  if (exists) FindClose(search);
  return ok;
}

// IfExist, path, command ...   e.g.  IfExist, C:\\Temp\\*.txt, Goto, Found
bool CmdIfExist(script::Interp& in, script::Fields& f) { return TestPath(in, f, true); }

// IfNotExist, path, command ...   e.g.  IfNotExist, C:\\Temp\\done.txt, Goto, Wait
bool CmdIfNotExist(script::Interp& in, script::Fields& f) { return TestPath(in, f, false); }

}  // namespace

void InstallPathConditions(script::Interp& in) {
  script::SetHandler(in, script::CMD_IFEXIST, CmdIfExist);
  script::SetHandler(in, script::CMD_IFNOTEXIST, CmdIfNotExist);
}

}  // namespace commands
