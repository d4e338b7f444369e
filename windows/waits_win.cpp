// The four window waits: their commands only store the pattern and arm the
// timeout; the pollers, called by the run loop once per tick, end them.
#include <windows.h>

#include "script/params.h"
#include "script/text.h"
#include "windows/match.h"
#include "windows/window_commands.h"

namespace windows {

namespace {

// SetTimer takes no longer period than this (about 24.8 days).
const long long kLongestTimerMs = 0x7FFFFFFF;

// Title, text and timeout in whole seconds. A missing field means an empty
// text or no timeout; a timeout of 0 or less, or one that is not a number,
// means none.
void ReadWaitParameters(script::Interp& in, script::Fields& f) {
  in.timeout_expired = false;
  in.timeout_armed = false;
  script::CopyText(in.match.title, f.at[0], script::kBufSize);
  script::CopyText(in.match.text, f.at[1], script::kBufSize);
  // Worked out in 64 bits: a huge number of seconds must not wrap into a
  // short or negative period.
  long long ms = static_cast<long long>(script::IntegerValue(f.at[2])) * 1000;
  if (ms <= 0) return;
  if (ms > kLongestTimerMs) ms = kLongestTimerMs;
  in.timeout_armed = true;
  in.sys->arm_wait_timer(in.sys->context, static_cast<unsigned int>(ms));
}

// True when the wait has timed out: ERRORLEVEL 1 and the script goes on.
// Otherwise ERRORLEVEL 0, and the wait looks for its window.
bool TimedOut(script::Interp& in) {
  if (in.timeout_armed && in.timeout_expired) {
    script::SetErrorLevel(in, 1);
    in.timeout_armed = false;
    in.timeout_expired = false;
    script::SetWaitState(in, script::kRunning);
    return true;
  }
  script::SetErrorLevel(in, 0);
  return false;
}

// Ends the wait: the next line runs after the window delay.
void EndWait(script::Interp& in) {
  script::SetWaitState(in, script::kRunning);
  AddWindowDelay(in);
}

// Looks for the pending wait's window.
bool FindWaitedWindow(script::Interp& in, HWND* found) {
  return FindMatchingWindow(in.match, SettingsOf(in), found);
}

// The timeout is checked before the window, so a window that turns up after
// the timer has fired is too late.
void PollWinWait(script::Interp& in) {
  if (TimedOut(in)) return;
  HWND window;
  if (FindWaitedWindow(in, &window)) EndWait(in);
}

void PollWinWaitActive(script::Interp& in) {
  if (TimedOut(in)) return;
  HWND window;
  if (FindWaitedWindow(in, &window) && window == GetForegroundWindow()) EndWait(in);
}

void PollWinWaitClose(script::Interp& in) {
  if (TimedOut(in)) return;
  HWND window;
  if (!FindWaitedWindow(in, &window)) EndWait(in);
}

// While no window matches at all, this wait goes on.
void PollWinWaitNotActive(script::Interp& in) {
  if (TimedOut(in)) return;
  HWND window;
  if (FindWaitedWindow(in, &window) && window != GetForegroundWindow()) EndWait(in);
}

// WinWait, title, text, timeout   e.g.  WinWait, Untitled - Notepad, , 5
bool CmdWinWait(script::Interp& in, script::Fields& f) {
  ReadWaitParameters(in, f);
  script::SetWaitState(in, script::kWaitWin);
  return true;
}

// WinWaitActive, title, text, timeout   e.g.  WinWaitActive, Save As, , 10
bool CmdWinWaitActive(script::Interp& in, script::Fields& f) {
  ReadWaitParameters(in, f);
  script::SetWaitState(in, script::kWaitWinActive);
  return true;
}

// WinWaitClose, title, text, timeout   e.g.  WinWaitClose, Setup, Installing, 60
bool CmdWinWaitClose(script::Interp& in, script::Fields& f) {
  ReadWaitParameters(in, f);
  script::SetWaitState(in, script::kWaitWinClose);
  return true;
}

// WinWaitNotActive, title, text, timeout   e.g.  WinWaitNotActive, Untitled - Notepad
bool CmdWinWaitNotActive(script::Interp& in, script::Fields& f) {
  ReadWaitParameters(in, f);
  script::SetWaitState(in, script::kWaitWinNotActive);
  return true;
}

}  // namespace

void InstallWaitCommands(script::Interp& in) {
  script::SetHandler(in, script::CMD_WINWAIT, CmdWinWait);
  script::SetHandler(in, script::CMD_WINWAITACTIVE, CmdWinWaitActive);
  script::SetHandler(in, script::CMD_WINWAITCLOSE, CmdWinWaitClose);
  script::SetHandler(in, script::CMD_WINWAITNOTACTIVE, CmdWinWaitNotActive);
  script::SetPoller(in, script::kWaitWin, PollWinWait);
  script::SetPoller(in, script::kWaitWinActive, PollWinWaitActive);
  script::SetPoller(in, script::kWaitWinClose, PollWinWaitClose);
  script::SetPoller(in, script::kWaitWinNotActive, PollWinWaitNotActive);
}

}  // namespace windows
