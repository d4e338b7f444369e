// The four window waits: their commands only store the pattern and arm the
// timeout; the pollers, called by the run loop once per tick, end them.
#include "script/core_commands.h"
#include "script/interp.h"
#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

// A window timer takes no longer period than this (about 24.8 days).
const long long kLongestTimerMs = 0x7FFFFFFF;

// Title, text and timeout in whole seconds. A missing field means an empty
// text or no timeout; a timeout of 0 or less, or one that is not a number,
// means none.
void ReadWaitParameters(Interp& in, Fields& f) {
  in.timeout_expired = false;
  in.timeout_armed = false;
  CopyText(in.match.title, f.at[0], kBufSize);
  CopyText(in.match.text, f.at[1], kBufSize);
  // Worked out in 64 bits: a huge number of seconds must not wrap into a
  // short or negative period.
  long long ms = static_cast<long long>(IntegerValue(f.at[2])) * 1000;
  if (ms <= 0) return;
  if (ms > kLongestTimerMs) ms = kLongestTimerMs;
  in.timeout_armed = true;
  in.sys->arm_wait_timer(in.sys->context, static_cast<unsigned int>(ms));
}

// True when the wait has timed out: ERRORLEVEL 1 and the script goes on.
// Otherwise ERRORLEVEL 0, and the wait looks for its window.
bool TimedOut(Interp& in) {
  if (in.timeout_armed && in.timeout_expired) {
    SetErrorLevel(in, 1);
    in.timeout_armed = false;
    in.timeout_expired = false;
    SetWaitState(in, kRunning);
    return true;
  }
  SetErrorLevel(in, 0);
  return false;
}

// Ends the wait: the next line runs after the window delay.
void EndWait(Interp& in) {
  SetWaitState(in, kRunning);
  AddWindowDelay(in);
}

// The pending wait's window (the pattern its command stored), or 0.
WindowHandle WaitedWindow(Interp& in) {
  return in.sys->find_window(in.sys->context, in.match, in.title_match_mode,
                             in.detect_hidden_text, in.detect_accessible_text);
}

WindowHandle Foreground(Interp& in) { return in.sys->foreground_window(in.sys->context); }

// The timeout is checked before the window, so a window that turns up after
// the timer has fired is too late.
void PollWinWait(Interp& in) {
  if (TimedOut(in)) return;
  if (WaitedWindow(in) != 0) EndWait(in);
}

void PollWinWaitActive(Interp& in) {
  if (TimedOut(in)) return;
  WindowHandle window = WaitedWindow(in);
  if (window != 0 && window == Foreground(in)) EndWait(in);
}

void PollWinWaitClose(Interp& in) {
  if (TimedOut(in)) return;
  if (WaitedWindow(in) == 0) EndWait(in);
}

// While no window matches at all, this wait goes on.
void PollWinWaitNotActive(Interp& in) {
  if (TimedOut(in)) return;
  WindowHandle window = WaitedWindow(in);
  if (window != 0 && window != Foreground(in)) EndWait(in);
}

// One handler serves the four waits; each enters its own wait state.
// WinWait, title, text, timeout           e.g.  WinWait, Untitled - Notepad, , 5
// WinWaitActive, title, text, timeout     e.g.  WinWaitActive, Save As, , 10
// WinWaitClose, title, text, timeout      e.g.  WinWaitClose, Setup, Installing, 60
// WinWaitNotActive, title, text, timeout  e.g.  WinWaitNotActive, Untitled - Notepad
template <int kState>
bool CmdWinWait(Interp& in, Fields& f) {
  ReadWaitParameters(in, f);
  SetWaitState(in, kState);
  return true;
}

}  // namespace

void InstallWindowWaits(Interp& in) {
  SetHandler(in, CMD_WINWAIT, CmdWinWait<kWaitWin>);
  SetHandler(in, CMD_WINWAITACTIVE, CmdWinWait<kWaitWinActive>);
  SetHandler(in, CMD_WINWAITCLOSE, CmdWinWait<kWaitWinClose>);
  SetHandler(in, CMD_WINWAITNOTACTIVE, CmdWinWait<kWaitWinNotActive>);
  SetPoller(in, kWaitWin, PollWinWait);
  SetPoller(in, kWaitWinActive, PollWinWaitActive);
  SetPoller(in, kWaitWinClose, PollWinWaitClose);
  SetPoller(in, kWaitWinNotActive, PollWinWaitNotActive);
}

}  // namespace script
