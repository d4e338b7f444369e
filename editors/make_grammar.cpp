// kestro-grammar: prints the TextMate grammar of Kestro scripts (scope
// source.kestro) as JSON, built from the runner's own command table and Send
// key names, so an editor colours exactly the keywords the runner knows.
//
//   kestro-grammar [OUT.json]     (standard output when OUT is not given)
//
// How a line is coloured follows how the runner reads it:
//   "; ..."        a comment (first non-blank character ";")
//   "Name:"        a label: no comma, ends with ":"
//   "[ADLIB]..."   starts the Adlib section, whose lines are "title, text, command"
//   "Keyword, ..." a command: the keyword up to the first comma, in any letter case;
//                  then the fields its table row reads. Only commas that end a field
//                  are separators: the last field of a line command takes the rest
//                  of the line, commas and all. A condition's fields each end at a
//                  comma, and what follows is a command of its own.
// References (%NAME%) and backslash escapes are coloured everywhere outside comments.
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "script/commands.h"
#include "script/flow_keywords.h"
#include "script/json_string.h"
#include "script/key_scan.h"

namespace {

using script::JsonString;

// A JSON value: a string, an object with members in insertion order, or an array.
struct Json {
  enum Type { kString, kObject, kArray };
  Type type;
  std::string text;
  std::vector<std::pair<std::string, Json> > members;
  std::vector<Json> items;

  Json() : type(kString) {}
  static Json String(const std::string& s) {
    Json j;
    j.type = kString;
    j.text = s;
    return j;
  }
  static Json Object() {
    Json j;
    j.type = kObject;
    return j;
  }
  static Json Array() {
    Json j;
    j.type = kArray;
    return j;
  }
  Json& Set(const std::string& key, const Json& value) {
    members.push_back(std::make_pair(key, value));
    return *this;
  }
  Json& Set(const std::string& key, const std::string& value) { return Set(key, String(value)); }
  Json& Add(const Json& value) {
    items.push_back(value);
    return *this;
  }
};

// An object or array of strings alone, short enough to stand on one line.
bool Inline(const Json& j) {
  size_t length = 0;
  for (size_t i = 0; i < j.members.size(); ++i) {
    if (j.members[i].second.type != Json::kString) return false;
    length += j.members[i].first.size() + j.members[i].second.text.size() + 8;
  }
  for (size_t i = 0; i < j.items.size(); ++i) {
    if (j.items[i].type != Json::kString) return false;
    length += j.items[i].text.size() + 4;
  }
  return length <= 60;
}

// Two-space indentation, one member or item a line; short string-only ones inline.
void Print(const Json& j, int depth, std::string* out) {
  std::string pad(static_cast<size_t>(depth + 1) * 2, ' ');
  std::string close_pad(static_cast<size_t>(depth) * 2, ' ');
  if (j.type == Json::kString) {
    *out += JsonString(j.text);
  } else if (Inline(j)) {
    bool object = j.type == Json::kObject;
    *out += object ? "{ " : "[ ";
    for (size_t i = 0; i < j.members.size(); ++i) {
      *out += (i ? ", " : "") + JsonString(j.members[i].first) + ": " + JsonString(j.members[i].second.text);
    }
    for (size_t i = 0; i < j.items.size(); ++i) *out += (i ? ", " : "") + JsonString(j.items[i].text);
    *out += object ? " }" : " ]";
  } else if (j.type == Json::kObject) {
    *out += "{\n";
    for (size_t i = 0; i < j.members.size(); ++i) {
      *out += pad + JsonString(j.members[i].first) + ": ";
      Print(j.members[i].second, depth + 1, out);
      *out += i + 1 < j.members.size() ? ",\n" : "\n";
    }
    *out += close_pad + "}";
  } else {
    *out += "[\n";
    for (size_t i = 0; i < j.items.size(); ++i) {
      *out += pad;
      Print(j.items[i], depth + 1, out);
      *out += i + 1 < j.items.size() ? ",\n" : "\n";
    }
    *out += close_pad + "]";
  }
}

Json Include(const std::string& name) { return Json::Object().Set("include", "#" + name); }

Json Scope(const std::string& name) { return Json::Object().Set("name", name); }

// Capture groups named by scope, in order from group 1; "" leaves a group unnamed.
Json Captures(const std::vector<std::string>& names) {
  Json captures = Json::Object();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].empty()) continue;
    char number[16];
    snprintf(number, sizeof number, "%d", static_cast<int>(i + 1));
    captures.Set(number, Scope(names[i]));
  }
  return captures;
}

std::vector<std::string> Names(const char* a, const char* b = "", const char* c = "") {
  std::vector<std::string> names;
  names.push_back(a);
  names.push_back(b);
  names.push_back(c);
  return names;
}

Json Match(const std::string& regex, const std::string& name) {
  return Json::Object().Set("match", regex).Set("name", name);
}

Json MatchCaptures(const std::string& regex, const std::vector<std::string>& names) {
  return Json::Object().Set("match", regex).Set("captures", Captures(names));
}

// Keywords in table order as one case-insensitive alternation.
std::string Alternation(const std::vector<std::string>& words) {
  std::string out = "(?i:";
  for (size_t i = 0; i < words.size(); ++i) out += (i ? "|" : "") + words[i];
  return out + ")";
}

const char kSeparator[] = "punctuation.separator.kestro";

// A comma that ends a field, and the fields after it until the end of the line.
Json NextField(const std::string& rest) {
  return Json::Object()
      .Set("begin", ",")
      .Set("beginCaptures", Json::Object().Set("0", Scope(kSeparator)))
      .Set("end", "$")
      .Set("patterns", Json::Array().Add(Include(rest)));
}

// What a field of a kind holds, at its start (\G is where the field begins).
// A last field of a line command ends at the end of the line; any other at a comma.
void AddKindPatterns(char kind, bool last, Json* patterns) {
  std::string end = last ? "[ \\t]*$" : "[ \\t]*(?=,|$)";
  switch (kind) {
    case script::kFieldNumber:
      patterns->Add(
          MatchCaptures("\\G[ \\t]*([-+]?[0-9]+)" + end, Names("constant.numeric.kestro")));
      break;
    case script::kFieldExtent:
      patterns->Add(
          MatchCaptures("\\G[ \\t]*([-+]?[0-9]+)" + end, Names("constant.numeric.kestro")));
      patterns->Add(MatchCaptures("\\G[ \\t]*((?i:default))" + end,
                                  Names("constant.language.default.kestro")));
      break;
    case script::kFieldLabel: {
      // The label's name: what Goto and Gosub compare with the label lines.
      std::string other = last ? "" : ",";
      patterns->Add(
          MatchCaptures("\\G[ \\t]*([^ \\t%\\\\" + other + "][^%\\\\\\n" + other + "]*?)" + end,
                        Names("entity.name.label.kestro")));
      break;
    }
    case script::kFieldKeys: patterns->Add(Include("send-keys")); break;
    default: break;
  }
}

// The fields of a command, by the kinds still to come; a condition's end in a command.
std::string FieldsRule(script::FieldForm form, const std::string& kinds,
                       std::map<std::string, Json>* repository) {
  std::string name = std::string(form == script::kTailFields ? "tail-fields-" : "line-fields-") +
                     (kinds.empty() ? "end" : kinds);
  if (repository->count(name)) return name;
  Json patterns = Json::Array();
  if (kinds.empty()) {
    if (form == script::kTailFields) patterns.Add(Include("command"));
  } else {
    bool last = form == script::kLineFields && kinds.size() == 1;
    AddKindPatterns(kinds[0], last, &patterns);
  }
  patterns.Add(Include("references")).Add(Include("escapes"));
  if (!kinds.empty() && !(form == script::kLineFields && kinds.size() == 1)) {
    patterns.Add(NextField(FieldsRule(form, kinds.substr(1), repository)));
  }
  (*repository)[name] = Json::Object().Set("patterns", patterns);
  return name;
}

std::string KeywordScope(int index, const script::CommandInfo& info) {
  if (info.form == script::kTailFields) return "keyword.control.conditional.kestro";
  if (script::IsFlowCommand(index)) return "keyword.control.flow.kestro";
  return "support.function.kestro";
}

// One rule per keyword scope and field shape, in the order the table first uses them.
struct CommandGroup {
  std::string scope;
  script::FieldForm form;
  std::string kinds;
  std::vector<std::string> keywords;
};

// The commands: a keyword at the start of a line, of an Adlib line's command or of a
// condition's tail (\G), then blanks and a comma or the end of the line.
bool AddCommands(std::map<std::string, Json>* repository) {
  std::vector<CommandGroup> groups;
  for (int i = 0; i < script::CMD_COUNT; ++i) {
    const script::CommandInfo& info = *script::CommandAt(i);
    std::string kinds = info.kinds;
    size_t keys = kinds.find(static_cast<char>(script::kFieldKeys));
    if (keys != std::string::npos &&
        (info.form != script::kLineFields || keys + 1 != kinds.size())) {
      fprintf(stderr, "kestro-grammar: %s: Send keys are coloured only in a line's last field\n",
              info.keyword);
      return false;
    }
    std::string scope = KeywordScope(i, info);
    size_t g = 0;
    while (g < groups.size() &&
           !(groups[g].scope == scope && groups[g].form == info.form && groups[g].kinds == kinds)) {
      ++g;
    }
    if (g == groups.size()) {
      CommandGroup group;
      group.scope = scope;
      group.form = info.form;
      group.kinds = kinds;
      groups.push_back(group);
    }
    groups[g].keywords.push_back(info.keyword);
  }

  Json commands = Json::Array();
  for (size_t g = 0; g < groups.size(); ++g) {
    const CommandGroup& group = groups[g];
    Json body = Json::Array();
    if (group.form == script::kNoFields) {
      body.Add(Include("references")).Add(Include("escapes"));
    } else {
      body.Add(Include(FieldsRule(group.form, group.kinds, repository)));
    }
    commands.Add(
        Json::Object()
            .Set("begin", "(?:^|\\G)[ \\t]*(" + Alternation(group.keywords) + ")[ \\t]*(?:(,)|$)")
            .Set("beginCaptures", Captures(Names(group.scope.c_str(), kSeparator)))
            .Set("end", "$")
            .Set("patterns", body));
  }
  (*repository)["command"] = Json::Object().Set("patterns", commands);
  return true;
}

// Send's key language: named keys in braces, one character in braces typed as it is,
// and the prefix characters. An unknown name in braces is left plain.
void AddSendKeys(std::map<std::string, Json>* repository) {
  std::vector<std::string> names;
  for (int i = 0; i < script::KeyNameCount(); ++i) names.push_back(script::KeyNameAt(i));
  Json patterns = Json::Array();
  patterns.Add(Include("references")).Add(Include("escapes"));
  patterns.Add(
      Json::Object()
          .Set("match", "(\\{)(" + Alternation(names) + ")(?: +([-+]?[0-9]*)[^}\\n]*)?(\\})")
          .Set("name", "meta.key.kestro")
          .Set("captures", Json::Object()
                               .Set("1", Scope("punctuation.definition.key.begin.kestro"))
                               .Set("2", Scope("constant.language.key.kestro"))
                               .Set("3", Scope("constant.numeric.kestro"))
                               .Set("4", Scope("punctuation.definition.key.end.kestro"))));
  patterns.Add(Match("\\{.\\}", "constant.character.kestro"));
  patterns.Add(Match("[!+^#]", "keyword.operator.modifier.kestro"));
  (*repository)["send-keys"] = Json::Object().Set("patterns", patterns);
}

void AddText(std::map<std::string, Json>* repository) {
  (*repository)["comment"] =
      Json::Object()
          .Set("match", "^[ \\t]*(;).*$")
          .Set("name", "comment.line.semicolon.kestro")
          .Set("captures", Captures(Names("punctuation.definition.comment.kestro")));
  // The whole text of the line before the colon is the name Goto and Gosub look for.
  (*repository)["label"] =
      MatchCaptures("^[ \\t]*([^;, \\t][^,\\n]*:)[ \\t]*$", Names("entity.name.label.kestro"));
  // The loader takes any line that starts with [ADLIB] as the marker and drops it.
  const char* marker = "^[ \\t]*(\\[(?i:adlib)\\])(.*)$";
  std::vector<std::string> marker_names =
      Names("keyword.control.adlib.kestro", "comment.line.ignored.kestro");
  (*repository)["adlib-marker"] = MatchCaptures(marker, marker_names);
  // The section runs to the end of the script: its end pattern never matches.
  (*repository)["adlib-section"] = Json::Object()
                                       .Set("begin", marker)
                                       .Set("beginCaptures", Captures(marker_names))
                                       .Set("end", "(?!)")
                                       .Set("name", "meta.section.adlib.kestro")
                                       .Set("patterns", Json::Array()
                                                            .Add(Include("comment"))
                                                            .Add(Include("adlib-marker"))
                                                            .Add(Include("adlib-line"))
                                                            .Add(Include("references"))
                                                            .Add(Include("escapes")));
  // title, text, command: the title and text each end at an unescaped comma.
  Json field_patterns = Json::Object().Set(
      "patterns", Json::Array().Add(Include("references")).Add(Include("escapes")));
  (*repository)["adlib-line"] =
      Json::Object()
          .Set("begin", "^[ \\t]*((?:[^,\\\\\\n]|\\\\.)*)(,)((?:[^,\\\\\\n]|\\\\.)*)(,)")
          .Set("beginCaptures", Json::Object()
                                    .Set("1", field_patterns)
                                    .Set("2", Scope(kSeparator))
                                    .Set("3", field_patterns)
                                    .Set("4", Scope(kSeparator)))
          .Set("end", "$")
          .Set("patterns", Json::Array()
                               .Add(Include("command"))
                               .Add(Include("references"))
                               .Add(Include("escapes")));
  // %NAME% is replaced before the line runs; a % that never closes stops the line.
  (*repository)["references"] = Json::Object().Set(
      "patterns", Json::Array()
                      .Add(Match("%[^%\\n]*%", "variable.other.kestro"))
                      .Add(Match("%(?=[^%\\n]*$)", "invalid.illegal.reference.kestro")));
  // \n \r \t \, \% \\ mean something; before any other character the backslash is dropped.
  (*repository)["escapes"] = Json::Object().Set(
      "patterns", Json::Array()
                      .Add(Match("\\\\[nrt,%\\\\]", "constant.character.escape.kestro"))
                      .Add(Match("\\\\(?:.|$)", "constant.character.escape.dropped.kestro")));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    fputs("usage: kestro-grammar [OUT.json]\n", stderr);
    return 2;
  }
  std::map<std::string, Json> repository;
  if (!AddCommands(&repository)) return 1;
  AddSendKeys(&repository);
  AddText(&repository);

  Json repo = Json::Object();
  for (std::map<std::string, Json>::const_iterator it = repository.begin(); it != repository.end();
       ++it) {
    repo.Set(it->first, it->second);
  }
  Json grammar = Json::Object();
  grammar.Set("information_for_contributors",
              Json::Array()
                  .Add(Json::String("Generated by kestro-grammar (editors/make_grammar.cpp) from "
                                    "the runner's command table and Send key names."))
                  .Add(Json::String("Do not edit: rebuild the target kestro-grammar-update.")));
  grammar.Set("name", "Kestro")
      .Set("scopeName", "source.kestro")
      .Set("fileTypes", Json::Array().Add(Json::String("kst")))
      .Set("patterns", Json::Array()
                           .Add(Include("comment"))
                           .Add(Include("adlib-section"))
                           .Add(Include("label"))
                           .Add(Include("command"))
                           .Add(Include("references"))
                           .Add(Include("escapes")))
      .Set("repository", repo);

  std::string text;
  Print(grammar, 0, &text);
  text += "\n";
  FILE* out = argc == 2 ? fopen(argv[1], "wb") : stdout;
  if (!out) {
    perror(argv[1]);
    return 1;
  }
  bool written = fwrite(text.data(), 1, text.size(), out) == text.size();
  if (out != stdout) written = fclose(out) == 0 && written;
  if (!written) {
    fputs("kestro-grammar: cannot write the grammar\n", stderr);
    return 1;
  }
  return 0;
}
