// The path conditions: IfExist and IfNotExist run the rest of their line when
// a search for the path finds an entry, or finds none.
#include "script/core_commands.h"
#include "script/interp.h"

namespace script {

namespace {

// Runs the rest of the line when a search for the path finds an entry (want
// true) or finds none (want false). Wildcards may stand in the last component;
// directories count; a path that cannot be searched names nothing. The search
// stays open until the tail has run.
bool TestPath(Interp& in, Fields& f, bool want) {
  SearchHandle search = in.sys->open_search(in.sys->context, f.at[0]);
  bool exists = search != 0;
  bool ok = exists == want ? RunTail(in, f) : true;
  if (exists) in.sys->close_search(in.sys->context, search);
  return ok;
}

// IfExist, path, command ...   e.g.  IfExist, C:\\Temp\\*.txt, Goto, Found
bool CmdIfExist(Interp& in, Fields& f) { return TestPath(in, f, true); }

// IfNotExist, path, command ...   e.g.  IfNotExist, C:\\Temp\\done.txt, Goto, Wait
bool CmdIfNotExist(Interp& in, Fields& f) { return TestPath(in, f, false); }

}  // namespace

void InstallPathConditions(Interp& in) {
  SetHandler(in, CMD_IFEXIST, CmdIfExist);
  SetHandler(in, CMD_IFNOTEXIST, CmdIfNotExist);
}

}  // namespace script
