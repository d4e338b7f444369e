// The fields the INI commands, Run and RunWait stop the script on when they
// are empty, with the runner's words for it.
#include "checker/empty_fields.h"

#include <stddef.h>

#include "script/commands.h"

namespace checker {

namespace {

// The INI commands refuse an empty section or key (the profile service would
// otherwise act on a whole section or file); Run and RunWait have nothing to
// start without a program.
const EmptyFieldRule kRules[] = {
    {script::CMD_INIREAD, 2, "the section",
     "IniRead: You must specify a section and value parameter!"},
    {script::CMD_INIREAD, 3, "the key", "IniRead: You must specify a section and value parameter!"},
    {script::CMD_INIWRITE, 2, "the section",
     "IniWrite: You must specify a section and value parameter!"},
    {script::CMD_INIWRITE, 3, "the key",
     "IniWrite: You must specify a section and value parameter!"},
    {script::CMD_INIDELETE, 1, "the section",
     "IniDelete: You must specify a section and value parameter!"},
    {script::CMD_INIDELETE, 2, "the key",
     "IniDelete: You must specify a section and value parameter!"},
    {script::CMD_RUN, 0, "the program", "Failed to run program!"},
    {script::CMD_RUNWAIT, 0, "the program", "Failed to run program!"},
};

}  // namespace

const EmptyFieldRule* FindEmptyFieldRule(int command, int field) {
  for (size_t i = 0; i < sizeof kRules / sizeof kRules[0]; ++i) {
    if (kRules[i].command == command && kRules[i].field == field) return &kRules[i];
  }
  return 0;
}

}  // namespace checker
