// The four window waits: their commands only store the pattern and arm the
// timeout; the pollers, called by the run loop once per tick, end them.
#include <windows.h>

#include "host/host.h"
#include "script/commands.h"
#include "script/engine.h"
#include "script/params.h"
#include "windows/window_commands.h"
#include "windows/windows.h"

namespace win {

namespace {

// SetTimer takes no longer period than this (about 24.8 days).
const long long kLongestTimerMs = 0x7FFFFFFF;

// Title, text and timeout in whole seconds, each up to a comma. A missing
// field means an empty text or no timeout; a timeout of 0 or less, or one
// that is not a number, means none.
void ReadWaitParameters(char* line, char* param, int* cursor) {
  host::g_host.timeout_expired = false;
  host::g_host.timeout_armed = false;
  g_match.text[0] = '\0';
  if (script::SplitField(',', line, cursor, g_match.title)) return;
  if (script::SplitField(',', line, cursor, g_match.text)) return;
  script::SplitField(0, line, cursor, param);
  // Worked out in 64 bits: a huge number of seconds must not wrap into a
  // short or negative period.
  long long ms = static_cast<long long>(script::IntegerValue(param)) * 1000;
  if (ms <= 0) return;
  if (ms > kLongestTimerMs) ms = kLongestTimerMs;
  host::g_host.timeout_armed = true;
  // Starting the timer again under the same id replaces a pending one.
  SetTimer(host::g_host.window, host::kWaitTimeoutTimer, static_cast<UINT>(ms), NULL);
}

// 0 when the wait has timed out (ERRORLEVEL 1), 1 when it goes on (ERRORLEVEL 0).
int CheckWaitTimeout() {
  if (host::g_host.timeout_armed && host::g_host.timeout_expired) {
    script::SetErrorLevel(1);
    host::g_host.timeout_armed = false;
    host::g_host.timeout_expired = false;
    return 0;
  }
  script::SetErrorLevel(0);
  return 1;
}

// Ends the wait: the next line runs after the window delay.
void EndWait() {
  script::g_engine.wait_state = script::kRunning;
  AddWindowDelay();
}

// The timeout is checked before the window, so a window that turns up after
// the timer has fired is too late.
void PollWinWait() {
  if (!CheckWaitTimeout()) {
    script::g_engine.wait_state = script::kRunning;
    return;
  }
  if (FindMatchingWindow() == 0) EndWait();
}

void PollWinWaitActive() {
  if (!CheckWaitTimeout()) {
    script::g_engine.wait_state = script::kRunning;
    return;
  }
  if (FindMatchingWindow() == 0 && g_match.target == GetForegroundWindow()) EndWait();
}

void PollWinWaitClose() {
  if (!CheckWaitTimeout()) {
    script::g_engine.wait_state = script::kRunning;
    return;
  }
  if (FindMatchingWindow() != 0) EndWait();
}

// While no window matches at all, this wait goes on.
void PollWinWaitNotActive() {
  if (!CheckWaitTimeout()) {
    script::g_engine.wait_state = script::kRunning;
    return;
  }
  if (FindMatchingWindow() == 0 && g_match.target != GetForegroundWindow()) EndWait();
}

// WinWait, title, text, timeout   e.g.  WinWait, Untitled - Notepad, , 5
void CmdWinWait(char* line, char* param, int* cursor) {
  ReadWaitParameters(line, param, cursor);
  script::g_engine.wait_state = script::kWaitWin;
}

// WinWaitActive, title, text, timeout   e.g.  WinWaitActive, Save As, , 10
void CmdWinWaitActive(char* line, char* param, int* cursor) {
  ReadWaitParameters(line, param, cursor);
  script::g_engine.wait_state = script::kWaitWinActive;
}

// WinWaitClose, title, text, timeout   e.g.  WinWaitClose, Setup, Installing, 60
void CmdWinWaitClose(char* line, char* param, int* cursor) {
  ReadWaitParameters(line, param, cursor);
  script::g_engine.wait_state = script::kWaitWinClose;
}

// WinWaitNotActive, title, text, timeout   e.g.  WinWaitNotActive, Untitled - Notepad
void CmdWinWaitNotActive(char* line, char* param, int* cursor) {
  ReadWaitParameters(line, param, cursor);
  script::g_engine.wait_state = script::kWaitWinNotActive;
}

}  // namespace

void AddWindowDelay() { script::AddStepDelay(script::g_engine.win_delay); }

void InstallWaitCommands() {
  script::SetCommandHandler(script::CMD_WINWAIT, CmdWinWait);
  script::SetCommandHandler(script::CMD_WINWAITACTIVE, CmdWinWaitActive);
  script::SetCommandHandler(script::CMD_WINWAITCLOSE, CmdWinWaitClose);
  script::SetCommandHandler(script::CMD_WINWAITNOTACTIVE, CmdWinWaitNotActive);
  host::SetWaitPoller(script::kWaitWin, PollWinWait);
  host::SetWaitPoller(script::kWaitWinActive, PollWinWaitActive);
  host::SetWaitPoller(script::kWaitWinClose, PollWinWaitClose);
  host::SetWaitPoller(script::kWaitWinNotActive, PollWinWaitNotActive);
}

}  // namespace win
