// RunWait's waiting: the program started by the host's RunWait is polled once
// per tick until it has ended, and its exit code becomes ERRORLEVEL.
#include "script/core_commands.h"
#include "script/interp.h"

namespace script {

void BeginRunWait(Interp& in, ProcessHandle process) {
  // A RunWait run from the Adlib section while another waits replaces it;
  // the one given up is not needed any more.
  if (in.run_wait_process != 0) in.sys->close_process(in.sys->context, in.run_wait_process);
  in.run_wait_process = process;
  SetWaitState(in, kWaitRun);
}

namespace {

// Once the program has ended, its exit code goes to ERRORLEVEL as a signed
// number and the script goes on. Whether it has ended is asked of the process
// itself, not read from its exit code: a program may well end with 259, the
// code that also means "still running".
void PollRunWait(Interp& in) {
  int code = 1;  // no process to ask about: end the wait rather than wait for ever
  if (in.run_wait_process != 0) {
    if (!in.sys->process_ended(in.sys->context, in.run_wait_process, &code)) return;
    in.sys->close_process(in.sys->context, in.run_wait_process);
    in.run_wait_process = 0;
  }
  SetWaitState(in, kRunning);
  SetErrorLevel(in, code);
}

}  // namespace

void InstallRunWaitPoller(Interp& in) { SetPoller(in, kWaitRun, PollRunWait); }

}  // namespace script
