// The debugging runner's stop decisions: breakpoints with conditions, hit
// counts and log messages, stepping by Gosub depth, pause and script errors.
#include "script/debug_session.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "script/json_string.h"
#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

const unsigned int kHoldMs = 20;  // the tick's pace while the script is held

bool IsWaitState(int state) {
  return state == kWaitWin || state == kWaitWinActive || state == kWaitWinClose ||
         state == kWaitWinNotActive || state == kWaitRun;
}

// A stored line that runs no command: a label (its first field ends in ":"
// and is no keyword). Comments and blank lines are never stored.
bool IsLabelLine(const ScriptLine* line) {
  char word[kBufSize];
  int cursor = 0;
  SplitFieldInto(',', line->text, &cursor, word, kBufSize);
  size_t len = strlen(word);
  return len > 0 && word[len - 1] == ':' && FindCommand(word) == CMD_COUNT;
}

const Section& SectionOf(const Interp& in, int section) {
  return section == kDebugAdlib ? in.sections.adlib : in.sections.main;
}

void Send(const DebugSession& d, const std::string& message) {
  if (d.attached && d.host && d.host->send) d.host->send(d.host->context, message);
}

void SendOutput(const DebugSession& d, const std::string& text) {
  Send(d, "{\"event\":\"output\",\"text\":" + JsonString(text) + "}");
}

// Holds the script and tells the front end where and why.
void Stop(DebugSession& d, int section, int line, const char* reason, const std::string& text) {
  d.stopped = true;
  d.step = kStepNone;
  d.stop_section = section;
  d.stop_line = line;
  d.stop_reason = reason;
  char number[16];
  snprintf(number, sizeof number, "%d", line);
  std::string event = std::string("{\"event\":\"stopped\",\"reason\":\"") + reason +
                      "\",\"section\":\"" + (section == kDebugAdlib ? "adlib" : "main") +
                      "\",\"line\":" + number;
  if (!text.empty()) event += ",\"text\":" + JsonString(text);
  Send(d, event + "}");
}

Breakpoint* FindBreakpoint(DebugSession& d, int section, int line) {
  for (size_t i = 0; i < d.breakpoints.size(); ++i) {
    if (d.breakpoints[i].section == section && d.breakpoints[i].line == line) return &d.breakpoints[i];
  }
  return 0;
}

bool HasAdlibBreakpoints(const DebugSession& d) {
  for (size_t i = 0; i < d.breakpoints.size(); ++i) {
    if (d.breakpoints[i].section == kDebugAdlib) return true;
  }
  return false;
}

// The Adlib line that this tick's walk will run, as the walk finds it: the
// first line whose window exists. Only asked while an Adlib line has a
// breakpoint, so a session without one costs the walk nothing.
const ScriptLine* AdlibLineToRun(const Interp& in) {
  if (!in.adlib_enabled || in.adlib.failed) return 0;
  for (ScriptLine* line = in.sections.adlib.head; line != 0; line = line->next) {
    char text[kBufSize];
    WindowPattern pattern;
    int cursor;
    // A line that fails stops the walk there, as one whose window exists does.
    if (ReadAdlibLine(in, line, text, &pattern, &cursor) != kAdlibNoWindow) return line;
  }
  return 0;
}

// A breakpoint reached: true when it stops the script. A logpoint prints its
// message instead; a condition that cannot be read stops, with the reason.
bool Fires(const Interp& in, DebugSession& d, Breakpoint& bp, std::string* text) {
  if (!bp.condition.empty()) {
    std::string error;
    bool holds = ConditionHolds(in, bp.condition, &error);
    if (!error.empty()) {
      *text = "Breakpoint condition: " + error;
      return true;
    }
    if (!holds) return false;
  }
  ++bp.hits;
  if (!HitConditionHolds(bp.hit_condition, bp.hits)) return false;
  if (bp.log_message.empty()) return true;
  std::string message, error;
  if (!ExpandText(in, bp.log_message, &message, &error)) message = bp.log_message + " (" + error + ")";
  SendOutput(d, message + "\n");
  return false;
}

// Decides, before a tick acts, whether the script stops first. The Adlib walk
// comes first in a tick, so an Adlib line about to run is asked about first.
bool StopsBeforeTick(Interp& in, DebugSession& d) {
  std::string text;
  if (HasAdlibBreakpoints(d)) {
    const ScriptLine* adlib = AdlibLineToRun(in);
    if (adlib != 0) {
      if (d.skip == adlib) {
        d.skip = 0;
        return false;
      }
      Breakpoint* bp = FindBreakpoint(d, kDebugAdlib, adlib->number);
      if (bp != 0 && Fires(in, d, *bp, &text)) {
        Stop(d, kDebugAdlib, adlib->number, "breakpoint", text);
        d.skip = adlib;
        return true;
      }
      return false;  // the Adlib line runs this tick, not the main line
    }
  }
  if (in.wait_state != kRunning || in.pc == 0) return false;
  const ScriptLine* line = in.pc;
  if (d.skip == line) {
    d.skip = 0;
    return false;
  }
  int depth = GosubDepth(in);
  bool stepped = d.line_done && ((d.step == kStepIn) || (d.step == kStepOver && depth <= d.step_depth) ||
                                 (d.step == kStepOut && depth < d.step_depth)) &&
                 !IsLabelLine(line);  // a step ends on a line that does something
  Breakpoint* bp = FindBreakpoint(d, kDebugMain, line->number);
  if (bp != 0 && Fires(in, d, *bp, &text)) {
    Stop(d, kDebugMain, line->number, "breakpoint", text);
  } else if (stepped) {
    Stop(d, kDebugMain, line->number, "step", std::string());
  } else {
    return false;
  }
  d.skip = line;
  return true;
}

TickResult HoldTick(Interp& in) {
  in.step_delay = static_cast<int>(kHoldMs);
  TickResult held = {false, false, kHoldMs, false};
  return held;
}

// The side of two that an operator splits a condition into, trimmed.
std::string Side(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

void InitDebugSession(DebugSession& d, const DebugHost* host) {
  d = DebugSession();
  d.host = host;
}

int GosubDepth(const Interp& in) {
  int depth = 0;
  for (const GosubEntry* entry = in.gosub; entry != 0; entry = entry->next) ++depth;
  return depth;
}

bool ExpandText(const Interp& in, const std::string& text, std::string* out, std::string* error) {
  char line[kBufSize];
  CopyText(line, text.c_str(), kBufSize);
  if (!ExpandVariables(*in.sys, line, in.sections.utf8)) {
    *error = kBadReference;
    return false;
  }
  *out = line;
  return true;
}

bool ConditionHolds(const Interp& in, const std::string& condition, std::string* error) {
  std::string expanded;
  if (!ExpandText(in, condition, &expanded, error)) return false;
  static const char* const kOperators[] = {"!=", "<>", ">=", "<=", "==", "=", ">", "<"};
  for (size_t i = 0; i < sizeof kOperators / sizeof kOperators[0]; ++i) {
    size_t at = expanded.find(kOperators[i]);
    if (at == std::string::npos) continue;
    std::string op = kOperators[i];
    std::string left = Side(expanded.substr(0, at));
    std::string right = Side(expanded.substr(at + op.size()));
    if (op == "=" || op == "==") return EqualsNoCase(left.c_str(), right.c_str());
    if (op == "!=" || op == "<>") return !EqualsNoCase(left.c_str(), right.c_str());
    int a = IntegerValue(left.c_str());
    int b = IntegerValue(right.c_str());
    if (op == ">=") return a >= b;
    if (op == "<=") return a <= b;
    return op == ">" ? a > b : a < b;
  }
  std::string value = Side(expanded);
  return !value.empty() && value != "0";
}

bool HitConditionHolds(const std::string& hit_condition, int hits) {
  std::string text = Side(hit_condition);
  if (text.empty()) return true;
  std::string op;
  while (!text.empty() && strchr("<>=%", text[0]) != 0) {
    op += text[0];
    text.erase(0, 1);
  }
  text = Side(text);
  if (text.empty() || strspn(text.c_str(), "0123456789") != text.size()) return true;
  int n = atoi(text.c_str());
  if (op.empty() || op == ">=") return hits >= n;
  if (op == "=" || op == "==") return hits == n;
  if (op == ">") return hits > n;
  if (op == "<") return hits < n;
  if (op == "<=") return hits <= n;
  if (op == "%") return n > 0 && hits % n == 0;
  return true;
}

void SetBreakpoints(DebugSession& d, const Interp& in, int section, std::vector<Breakpoint>& requested) {
  std::vector<Breakpoint> kept;
  for (size_t i = 0; i < d.breakpoints.size(); ++i) {
    if (d.breakpoints[i].section != section) kept.push_back(d.breakpoints[i]);
  }
  for (size_t i = 0; i < requested.size(); ++i) {
    Breakpoint& bp = requested[i];
    bp.section = section;
    int wanted = bp.line;
    bp.line = 0;
    for (const ScriptLine* line = SectionOf(in, section).head; line != 0; line = line->next) {
      if (line->number >= wanted && !IsLabelLine(line)) {
        bp.line = line->number;
        break;
      }
    }
    // A breakpoint that stood here before keeps its hit count.
    for (size_t j = 0; j < d.breakpoints.size(); ++j) {
      const Breakpoint& old = d.breakpoints[j];
      if (old.section == section && old.line == bp.line && old.hit_condition == bp.hit_condition &&
          old.condition == bp.condition) {
        bp.hits = old.hits;
      }
    }
    if (bp.line != 0) kept.push_back(bp);
  }
  d.breakpoints.swap(kept);
}

void StartSession(Interp& in, DebugSession& d, bool stop_on_entry) {
  d.started = true;
  if (!stop_on_entry || in.pc == 0) return;
  Stop(d, kDebugMain, in.pc->number, "entry", std::string());
  d.skip = in.pc;
}

void Resume(Interp& in, DebugSession& d, StepMode step) {
  if (!d.stopped) return;
  d.stopped = false;
  d.step = step;
  d.step_depth = GosubDepth(in);
  // A stop before the line at the counter has that line still to run; a stop
  // in a wait, a box or an Adlib line has run its main-section line already.
  d.line_done = !(d.stop_section == kDebugMain && in.pc != 0 && d.stop_line == in.pc->number &&
                  in.wait_state == kRunning && !d.in_box);
  Send(d, "{\"event\":\"continued\"}");
}

void PauseNow(Interp& in, DebugSession& d) {
  if (d.stopped) return;
  int line = 0;
  if (d.in_box) {
    line = d.box.line;
  } else if (d.waiting) {
    line = d.wait.line;
  } else if (in.pc != 0) {
    line = in.pc->number;
    d.skip = in.pc;
  } else {
    line = in.line_number;
  }
  Stop(d, kDebugMain, line, "pause", std::string());
}

void NoteError(DebugSession& d, int line_number, const char* message) {
  d.exception_pending = true;
  d.exception = message;
  d.exception_line = line_number;
}

void NoteBox(DebugSession& d, const Interp& in, bool open) {
  d.in_box = open;
  if (!open) return;
  d.box.line = in.line_number;
  d.box.command = in.line;
  d.box.since = d.host ? d.host->now_ms(d.host->context) : 0;
}

TickResult DebugTick(Interp& in, DebugSession& d) {
  if (!d.attached) return RunTick(in);
  if (!d.started || d.stopped || in.paused) {
    if (in.paused) return RunTick(in);  // the user's own pause, as ever
    return HoldTick(in);
  }
  if (StopsBeforeTick(in, d)) return HoldTick(in);
  int before = in.wait_state;
  d.in_tick = true;
  TickResult result = RunTick(in);
  d.in_tick = false;
  if (result.stepped) d.line_done = true;
  if (IsWaitState(in.wait_state) && !IsWaitState(before)) {
    d.waiting = true;
    d.wait.line = in.line_number;
    d.wait.command = in.line;
    d.wait.since = d.host->now_ms(d.host->context);
  } else if (!IsWaitState(in.wait_state)) {
    d.waiting = false;
  }
  if (d.exception_pending) {
    d.exception_pending = false;
    Stop(d, kDebugMain, d.exception_line, "exception", d.exception);
    result.stop = false;  // the stop comes when the front end continues
    return HoldTick(in);
  }
  if (result.stop) Send(d, "{\"event\":\"ended\"}");
  return result;
}

}  // namespace script
