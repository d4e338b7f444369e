// The debug channel's requests and answers: breakpoints, resuming and
// stepping, the stack, the variables and their scopes, evaluation.
#include "script/debug_protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "script/debug_waiting.h"
#include "script/json_string.h"
#include "script/params.h"
#include "script/text.h"
#include "script/variables.h"

namespace script {

namespace {

// A JSON string of a text; the byte 1 stands for the em dash of frame names,
// written as an escape so that the message stays ASCII around it.
std::string Json(const std::string& text) {
  std::string quoted = JsonString(text);
  const std::string mark = "\\u0001";
  for (size_t at = quoted.find(mark); at != std::string::npos; at = quoted.find(mark, at))
    quoted.replace(at, mark.size(), "\\u2014");
  return quoted;
}

std::string Number(int value) {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  return text;
}

void Send(const DebugSession& d, const std::string& message) {
  if (d.host && d.host->send) d.host->send(d.host->context, message);
}

void Answer(const DebugSession& d, const std::string& seq, const std::string& body) {
  Send(d, "{\"seq\":" + Number(atoi(seq.c_str())) + ",\"body\":" + body + "}");
}

void Refuse(const DebugSession& d, const std::string& seq, const std::string& error) {
  Send(d, "{\"seq\":" + Number(atoi(seq.c_str())) + ",\"error\":" + Json(error) + "}");
}

std::string Variables(const NamedValues& values) {
  std::string list = "{\"variables\":[";
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) list += ",";
    list += "{\"name\":" + Json(values[i].first) + ",\"value\":" + Json(values[i].second) + "}";
  }
  return list + "]}";
}

// The built-in names a script can read, in the order the scope shows them.
const char* const kBuiltIns[] = {"ERRORLEVEL", "CLIPBOARD", "A_SCRIPTFULLPATH", "A_SCRIPTNAME",
                                 "A_SCRIPTDIR", "A_WORKINGDIR", "A_OSTYPE", "A_YEAR", "A_MON",
                                 "A_MDAY", "A_HOUR", "A_MIN", "A_SEC", "A_WDAY", "A_YDAY"};

bool IsBuiltIn(const std::string& name) {
  for (size_t i = 0; i < sizeof kBuiltIns / sizeof kBuiltIns[0]; ++i) {
    if (EqualsNoCase(name.c_str(), kBuiltIns[i])) return true;
  }
  return false;
}

void AddName(std::vector<std::string>* names, const std::string& name) {
  if (name.empty() || IsBuiltIn(name)) return;
  for (size_t i = 0; i < names->size(); ++i) {
    if (EqualsNoCase((*names)[i].c_str(), name.c_str())) return;
  }
  names->push_back(name);
}

// The script's variables: every %NAME% it refers to and every variable a
// command of it names (SetEnv, EnvAdd, FileReadLine...), in order of appearance.
std::vector<std::string> ScriptVariableNames(const Interp& in) {
  std::vector<std::string> names;
  const Section* sections[] = {&in.sections.main, &in.sections.adlib};
  for (int s = 0; s < 2; ++s) {
    for (const ScriptLine* line = sections[s]->head; line != 0; line = line->next) {
      const char* text = line->text;
      for (const char* open = strchr(text, '%'); open != 0;) {
        if (open > text && open[-1] == '\\') {
          open = strchr(open + 1, '%');
          continue;
        }
        const char* close = strchr(open + 1, '%');
        if (close == 0) break;
        AddName(&names, std::string(open + 1, close));
        open = strchr(close + 1, '%');
      }
      char buffer[kBufSize], keyword[kBufSize];
      CopyText(buffer, text, kBufSize);
      int cursor = 0;
      SplitFieldInto(',', buffer, &cursor, keyword, kBufSize);
      int index = FindCommand(keyword);
      if (index == CMD_COUNT) continue;
      const CommandInfo* info = CommandAt(index);
      Fields fields;
      ReadFields(*info, buffer, &cursor, &fields);
      for (int i = 0; i < fields.count; ++i) {
        if (info->kinds[i] == kFieldVariable && !strchr(fields.at[i], '%')) AddName(&names, fields.at[i]);
      }
    }
  }
  return names;
}

NamedValues ReadAll(const Interp& in, const std::vector<std::string>& names) {
  NamedValues values;
  for (size_t i = 0; i < names.size(); ++i) {
    char value[kMaxValue + 1];
    ReadVariable(*in.sys, names[i].c_str(), value, kMaxValue, in.sections.utf8);
    values.push_back(std::make_pair(names[i], std::string(value)));
  }
  return values;
}

NamedValues Settings(const Interp& in) {
  NamedValues values;
  values.push_back(std::make_pair(std::string("Key delay"), Number(in.key_delay) + " ms"));
  values.push_back(std::make_pair(std::string("Window delay"), Number(in.win_delay) + " ms"));
  values.push_back(std::make_pair(std::string("Title match mode"), Number(in.title_match_mode)));
  values.push_back(std::make_pair(std::string("Detect hidden text"),
                                  std::string(in.detect_hidden_text ? "On" : "Off")));
  values.push_back(std::make_pair(std::string("Detect accessible text"),
                                  std::string(in.detect_accessible_text ? "On" : "Off")));
  values.push_back(std::make_pair(std::string("Adlib"), std::string(in.adlib_enabled ? "On" : "Off")));
  values.push_back(std::make_pair(std::string("Break"), std::string(in.break_enabled ? "On" : "Off")));
  return values;
}

// The main-section line just before `after` (the last line when after is null).
const ScriptLine* LineBefore(const Interp& in, const ScriptLine* after) {
  for (const ScriptLine* line = in.sections.main.head; line != 0; line = line->next) {
    if (line->next == after) return line;
  }
  return 0;
}

// The first field of a stored line, expanded now.
std::string FirstField(const Interp& in, const ScriptLine* line) {
  std::string expanded, error;
  if (!ExpandText(in, line->text, &expanded, &error)) expanded = line->text;
  char buffer[kBufSize], field[kBufSize];
  CopyText(buffer, expanded.c_str(), kBufSize);
  int cursor = 0;
  SplitFieldInto(',', buffer, &cursor, field, kBufSize);
  SplitFieldInto(',', buffer, &cursor, field, kBufSize);
  return field;
}

std::string Frame(const std::string& name, int section, int line) {
  return "{\"name\":" + Json(name) + ",\"section\":\"" + (section == kDebugAdlib ? "adlib" : "main") +
         "\",\"line\":" + Number(line) + "}";
}

// The top frame, then one frame per Repeat ("Repeat 3 of 5") and one per
// Gosub: the label's name at the line that called it.
std::string Stack(const Interp& in, const DebugSession& d) {
  std::string frames = "{\"frames\":[" + Frame(TopFrameName(in, d), d.stop_section, d.stop_line);
  for (const RepeatEntry* r = in.repeat; r != 0; r = r->next) {
    const ScriptLine* line = LineBefore(in, r->start);
    if (line == 0) continue;
    int count = IntegerValue(FirstField(in, line).c_str());
    std::string name = "Repeat";
    if (count > 0 && r->remaining > 0) {
      name += " " + Number(count - r->remaining + 1) + " of " + Number(count);
    } else {
      name += " (without end)";
    }
    frames += "," + Frame(name, kDebugMain, line->number);
  }
  for (const GosubEntry* g = in.gosub; g != 0; g = g->next) {
    const ScriptLine* line = LineBefore(in, g->ret);
    if (line != 0) frames += "," + Frame(FirstField(in, line), kDebugMain, line->number);
  }
  return frames + "]}";
}

}  // namespace

int ParseDebugPort(const char* command_line) {
  for (const char* at = command_line; *at; ++at) {
    if (at[0] == '/' && (at[1] == 'p' || at[1] == 'P') && (at[2] == ' ' || at[2] == '\0')) return 0;
    if (strncmp(at, "/debug:", 7) != 0) continue;
    long port = 0;
    const char* digit = at + 7;
    for (; *digit >= '0' && *digit <= '9' && port <= 65535; ++digit) port = port * 10 + (*digit - '0');
    bool ends = *digit == '\0' || *digit == ' ' || *digit == '\t';
    return digit > at + 7 && ends && port > 0 && port <= 65535 ? static_cast<int>(port) : 0;
  }
  return 0;
}

std::vector<std::string> SplitRequest(const std::string& line) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\t') {
      fields.push_back(std::string());
    } else if (c == '\\' && i + 1 < line.size()) {
      char e = line[++i];
      fields.back() += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
    } else if (c != '\r' && c != '\n') {
      fields.back() += c;
    }
  }
  return fields;
}

std::string HelloMessage(const Interp& in) {
  return "{\"event\":\"hello\",\"version\":" + Number(kDebugProtocolVersion) + ",\"encoding\":\"" +
         (in.sections.utf8 ? "utf-8" : "ansi") + "\"}";
}

bool HandleRequest(Interp& in, DebugSession& d, const std::string& line) {
  std::vector<std::string> f = SplitRequest(line);
  const std::string& seq = f[0];
  std::string what = f.size() > 1 ? f[1] : std::string();
  if (what == "quit") {
    Answer(d, seq, "{}");
    return false;
  }
  if (what == "run") {
    StartSession(in, d, f.size() > 2 && f[2] == "1");
    Answer(d, seq, "{}");
  } else if (what == "breakpoints" && f.size() >= 3) {
    std::vector<Breakpoint> wanted;
    for (size_t i = 3; i + 3 < f.size(); i += 4) {
      Breakpoint bp;
      bp.section = 0;
      bp.line = atoi(f[i].c_str());
      bp.condition = f[i + 1];
      bp.hit_condition = f[i + 2];
      bp.log_message = f[i + 3];
      bp.hits = 0;
      wanted.push_back(bp);
    }
    SetBreakpoints(d, in, f[2] == "adlib" ? kDebugAdlib : kDebugMain, wanted);
    std::string lines = "{\"lines\":[";
    for (size_t i = 0; i < wanted.size(); ++i) lines += (i ? "," : "") + Number(wanted[i].line);
    Answer(d, seq, lines + "]}");
  } else if (what == "continue" || what == "next" || what == "stepIn" || what == "stepOut") {
    StepMode mode = what == "next" ? kStepOver : what == "stepIn" ? kStepIn
                  : what == "stepOut" ? kStepOut : kStepNone;
    Answer(d, seq, "{}");
    Resume(in, d, mode);
  } else if (what == "pause") {
    Answer(d, seq, "{}");
    PauseNow(in, d);
  } else if (what == "stack") {
    Answer(d, seq, Stack(in, d));
  } else if (what == "variables" && f.size() > 2) {
    const std::string& scope = f[2];
    if (scope == "script") {
      Answer(d, seq, Variables(ReadAll(in, ScriptVariableNames(in))));
    } else if (scope == "builtins") {
      std::vector<std::string> names(kBuiltIns, kBuiltIns + sizeof kBuiltIns / sizeof kBuiltIns[0]);
      Answer(d, seq, Variables(ReadAll(in, names)));
    } else if (scope == "settings") {
      Answer(d, seq, Variables(Settings(in)));
    } else {
      Answer(d, seq, Variables(WaitingFor(in, d)));
    }
  } else if (what == "set" && f.size() > 3) {
    // As SetEnv: "clipboard" sets the clipboard, any other name a variable.
    if (f[2].empty()) {
      Refuse(d, seq, "A variable needs a name.");
      return true;
    }
    WriteVariable(*in.sys, f[2].c_str(), f[3].c_str());
    char value[kMaxValue + 1];
    ReadVariable(*in.sys, f[2].c_str(), value, kMaxValue, in.sections.utf8);
    Answer(d, seq, "{\"value\":" + Json(value) + "}");
  } else if (what == "evaluate" && f.size() > 2) {
    // A bare name reads that variable (hovering over COUNT); any other text
    // is expanded as a line is.
    std::string text = f[2], result, error;
    if (text.find('%') == std::string::npos && text.find_first_of(" ,\t") == std::string::npos) {
      text = "%" + text + "%";
    }
    if (!ExpandText(in, text, &result, &error)) {
      Refuse(d, seq, error);
    } else {
      Answer(d, seq, "{\"result\":" + Json(result) + "}");
    }
  } else {
    Refuse(d, seq, "Unknown request: " + what);
  }
  return true;
}

}  // namespace script
