// The "Waiting for" facts of the debug channel: the pattern of the current
// window command, the window that matches it now and the titles that come closest.
#include "script/debug_waiting.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "script/params.h"
#include "script/text.h"

namespace script {

namespace {

const size_t kMaxCompared = 512;  // characters of a title the distance looks at
const size_t kClosestShown = 3;

// The parts of a command line the scope and the frame name show.
struct CommandParts {
  const CommandInfo* info;  // null: no command
  std::string title, text, subject;
  int timeout_s;            // the wait's timeout in seconds; 0 for none
};

CommandParts ReadCommand(const std::string& line) {
  CommandParts parts = {0, std::string(), std::string(), std::string(), 0};
  char buffer[kBufSize];
  CopyText(buffer, line.c_str(), kBufSize);
  char keyword[kBufSize];
  int cursor = 0;
  SplitFieldInto(',', buffer, &cursor, keyword, kBufSize);
  int index = FindCommand(keyword);
  if (index == CMD_COUNT) return parts;
  parts.info = CommandAt(index);
  Fields fields;
  ReadFields(*parts.info, buffer, &cursor, &fields);
  bool seen_title = false;
  for (int i = 0; i < fields.count; ++i) {
    char kind = parts.info->kinds[i];
    if (kind == kFieldTitle && !seen_title) {
      parts.title = fields.at[i];
      seen_title = true;
    } else if (kind == kFieldWindowText && parts.text.empty()) {
      parts.text = fields.at[i];
    } else if (kind == kFieldNumber && seen_title) {
      parts.timeout_s = IntegerValue(fields.at[i]);
    }
    if (parts.subject.empty() && (kind == kFieldTitle || kind == kFieldProgram || kind == kFieldText))
      parts.subject = fields.at[i];
  }
  if (parts.timeout_s < 0) parts.timeout_s = 0;
  return parts;
}

const ScriptLine* LineAt(const Interp& in, int section, int number) {
  const Section& s = section == kDebugAdlib ? in.sections.adlib : in.sections.main;
  for (const ScriptLine* line = s.head; line != 0; line = line->next) {
    if (line->number == number) return line;
  }
  return 0;
}

const WaitRecord* CurrentWait(const DebugSession& d) {
  if (d.in_box) return &d.box;
  if (d.waiting) return &d.wait;
  return 0;
}

std::string Seconds(unsigned int ms) {
  char text[32];
  snprintf(text, sizeof text, "%u.%u s", ms / 1000, (ms % 1000) / 100);
  return text;
}

std::string Describe(const WindowFact& w) {
  return "\"" + w.title + "\" (class " + w.window_class + ", " + w.process + ")";
}

struct Candidate {
  int distance;
  size_t order;
  bool operator<(const Candidate& other) const {
    return distance != other.distance ? distance < other.distance : order < other.order;
  }
};

}  // namespace

std::string CurrentCommand(const Interp& in, const DebugSession& d) {
  const WaitRecord* wait = CurrentWait(d);
  if (wait != 0) return wait->command;
  const ScriptLine* line = LineAt(in, d.stop_section, d.stop_line);
  if (line == 0) return std::string();
  std::string expanded, error;
  if (!ExpandText(in, line->text, &expanded, &error)) return line->text;
  return expanded;
}

std::string TopFrameName(const Interp& in, const DebugSession& d) {
  const WaitRecord* wait = CurrentWait(d);
  if (wait == 0) {
    const ScriptLine* line = LineAt(in, d.stop_section, d.stop_line);
    return line != 0 ? std::string(line->text) : std::string("(end of script)");
  }
  CommandParts parts = ReadCommand(wait->command);
  std::string name = parts.info ? parts.info->spelling : wait->command;
  if (!parts.subject.empty()) name += ", " + parts.subject;
  name += " \x01 " + Seconds(d.host->now_ms(d.host->context) - wait->since);
  if (parts.timeout_s > 0) {
    char of[32];
    snprintf(of, sizeof of, " of %d s", parts.timeout_s);
    name += of;
  }
  return name;
}

int TitleDistance(const std::string& pattern, const std::string& title, int title_match_mode) {
  std::string p = pattern.substr(0, kMaxCompared), t = title.substr(0, kMaxCompared);
  // row[j]: the distance of the pattern so far from the title's first j
  // characters; "contains" lets the match start anywhere, so its first row is 0.
  std::vector<int> row(t.size() + 1), next(t.size() + 1);
  for (size_t j = 0; j <= t.size(); ++j) row[j] = title_match_mode == 2 ? 0 : static_cast<int>(j);
  for (size_t i = 1; i <= p.size(); ++i) {
    next[0] = static_cast<int>(i);
    for (size_t j = 1; j <= t.size(); ++j) {
      int change = row[j - 1] + (p[i - 1] == t[j - 1] ? 0 : 1);
      next[j] = std::min(change, std::min(row[j], next[j - 1]) + 1);
    }
    row.swap(next);
  }
  // "Starts with" and "contains" let the title go on after the pattern.
  if (title_match_mode == 1 || title_match_mode == 2) return *std::min_element(row.begin(), row.end());
  return row[t.size()];
}

NamedValues WaitingFor(const Interp& in, const DebugSession& d) {
  NamedValues out;
  std::string command = CurrentCommand(in, d);
  CommandParts parts = ReadCommand(command);
  if (parts.info == 0) return out;
  const WaitRecord* wait = CurrentWait(d);
  bool window_command = strchr(parts.info->kinds, kFieldTitle) != 0;
  if (!window_command && wait == 0) return out;
  out.push_back(std::make_pair(std::string("Command"), command));
  if (wait != 0) {
    std::string waited = Seconds(d.host->now_ms(d.host->context) - wait->since);
    if (parts.timeout_s > 0) {
      char of[32];
      snprintf(of, sizeof of, " of %d s", parts.timeout_s);
      waited += of;
    }
    out.push_back(std::make_pair(std::string("Waiting"), waited));
  }
  if (!window_command) return out;
  out.push_back(std::make_pair(std::string("Title"), parts.title));
  out.push_back(std::make_pair(std::string("Text"), parts.text));
  out.push_back(std::make_pair(std::string("Match mode"),
                               in.title_match_mode == 2 ? std::string("2 (title contains)")
                                                        : std::string("1 (title starts with)")));
  out.push_back(std::make_pair(std::string("Detect hidden text"),
                               std::string(in.detect_hidden_text ? "On" : "Off")));
  WindowPattern pattern;
  CopyText(pattern.title, parts.title.c_str(), kBufSize);
  CopyText(pattern.text, parts.text.c_str(), kBufSize);
  WindowHandle found =
      in.sys->find_window(in.sys->context, pattern, in.title_match_mode, in.detect_hidden_text,
                          in.detect_accessible_text);
  WindowFact match;
  if (found != 0) {
    d.host->describe_window(d.host->context, found, &match);
    out.push_back(std::make_pair(std::string("Matches now"), "yes: " + Describe(match)));
  } else {
    out.push_back(std::make_pair(std::string("Matches now"), std::string("no")));
  }
  std::vector<WindowFact> windows;
  d.host->list_windows(d.host->context, &windows);
  std::vector<Candidate> ranked;
  for (size_t i = 0; i < windows.size(); ++i) {
    if (!windows[i].visible || windows[i].title.empty() || windows[i].handle == found) continue;
    Candidate c = {TitleDistance(parts.title, windows[i].title, in.title_match_mode), i};
    ranked.push_back(c);
  }
  std::sort(ranked.begin(), ranked.end());
  for (size_t i = 0; i < ranked.size() && i < kClosestShown; ++i) {
    char name[32], off[48];
    snprintf(name, sizeof name, "Closest %u", static_cast<unsigned int>(i + 1));
    snprintf(off, sizeof off, " (%d character%s off)", ranked[i].distance,
             ranked[i].distance == 1 ? "" : "s");
    out.push_back(std::make_pair(std::string(name), Describe(windows[ranked[i].order]) + off));
  }
  return out;
}

}  // namespace script
