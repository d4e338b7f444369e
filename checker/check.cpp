// The checker's rules: it reads every stored line the way the statement step
// and the Adlib walk would, and reports what the runner would stop on
// (errors) and what it would run without a word but surely not as meant
// (warnings). Where a keyword, label or number comes from a %NAME% reference,
// it says nothing: only the run can tell.
#include "checker/check.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include <map>

#include "checker/dangers.h"
#include "checker/empty_fields.h"
#include "checker/fields.h"
#include "checker/lines.h"
#include "checker/suggest.h"
#include "script/commands.h"
#include "script/flow_keywords.h"
#include "script/key_scan.h"
#include "script/limits.h"
#include "script/params.h"
#include "script/text.h"
#include "script/text_encoding.h"

namespace checker {

namespace {

std::string Upper(const std::string& text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(toupper(static_cast<unsigned char>(out[i])));
  return out;
}

// A field's text for a message: references shown as "...".
std::string Shown(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kUnknown) out += "...";
    else if (text[i] == '\n') out += "\\n";
    else if (text[i] == '\r') out += "\\r";
    else if (text[i] == '\t') out += "\\t";
    else out += text[i];
  }
  return out;
}

std::string Quoted(const std::string& text) { return "\"" + Shown(text) + "\""; }

// An integer written plainly: optional sign, then digits only.
bool IsPlainInteger(const std::string& text) {
  size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
  if (i >= text.size()) return false;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

std::string Number(long n) {
  char buf[32];
  snprintf(buf, sizeof buf, "%ld", n);
  return buf;
}

bool Earlier(const Diagnostic& a, const Diagnostic& b) {
  return a.line != b.line ? a.line < b.line : a.column < b.column;
}

class Checker {
 public:
  explicit Checker(const std::string& text)
      : lines_(ReadScriptLines(text)), utf8_(script::IsUtf8Script(text.data(), text.size())) {}

  std::vector<Diagnostic> Run() {
    CollectLabels();
    for (size_t i = 0; i < lines_.size(); ++i) {
      line_ = &lines_[i];
      fields_.clear();
      CheckLineShape();
      if (!line_->stored) continue;
      if (line_->adlib) CheckAdlibLine();
      else CheckMainLine();
    }
    FinishRepeats();
    FinishPops();
    if (utf8_) CountColumnsInCharacters();
    for (size_t i = 0; i < out_.size(); ++i) out_[i].message = PrintableMessage(out_[i].message);
    std::stable_sort(out_.begin(), out_.end(), Earlier);
    return out_;
  }

 private:
  // Records a finding on the current line between two offsets of its stored text.
  void Add(Severity severity, const char* code, int start, int end, const std::string& message) {
    Diagnostic d;
    d.line = line_->number;
    d.column = line_->lead + start + 1;
    d.end_column = line_->lead + (end > start ? end : start + 1) + 1;
    d.severity = severity;
    d.code = code;
    d.message = message;
    out_.push_back(d);
  }

  void AddOnField(Severity severity, const char* code, const Field& f, const std::string& message) {
    Add(severity, code, f.start, f.end, message);
  }

  // The findings are placed by byte offsets; in a UTF-8 script people and
  // editors count characters, so the columns are counted again in those.
  // Line n is lines_[n - 1]; a column past the end counts on by one a byte.
  void CountColumnsInCharacters() {
    for (size_t i = 0; i < out_.size(); ++i) {
      Diagnostic& d = out_[i];
      if (d.line < 1 || static_cast<size_t>(d.line) > lines_.size()) continue;
      const std::string& raw = lines_[static_cast<size_t>(d.line - 1)].raw;
      d.column = CharacterColumn(raw, d.column);
      d.end_column = CharacterColumn(raw, d.end_column);
      if (d.end_column <= d.column) d.end_column = d.column + 1;  // part of a character
    }
  }

  static int CharacterColumn(const std::string& raw, int column) {
    size_t bytes = static_cast<size_t>(column > 1 ? column - 1 : 0);
    size_t within = std::min(bytes, raw.size());
    size_t chars = script::CountCodePoints(raw.data(), within) + (bytes - within);
    return static_cast<int>(chars) + 1;
  }

  // A message quotes the script's own bytes, and every message the tools
  // print is UTF-8: in a UTF-8 script a byte that is not part of a valid
  // character, and in an ANSI script every byte above 127 (its code page is
  // the running machine's, unknown here), is shown as \xHH.
  std::string PrintableMessage(const std::string& message) const {
    std::string out;
    for (size_t i = 0; i < message.size();) {
      unsigned char c = static_cast<unsigned char>(message[i]);
      unsigned cp = 0;
      size_t length = c < 0x80 ? 1
                      : utf8_  ? script::DecodeUtf8(message.data(), message.size(), i, &cp)
                               : 0;
      if (length != 0) {
        out.append(message, i, length);
        i += length;
        continue;
      }
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
      ++i;
    }
    return out;
  }

  // Length and NUL bytes: the packer refuses both, the runner would cut the line.
  void CheckLineShape() {
    if (line_->has_nul) {
      Add(kError, "nul-byte", 0, static_cast<int>(line_->text.size()),
          "the line holds a NUL byte, which ends it there for the runner; remove it");
    }
    if (line_->length > script::kMaxStoredLine) {
      Diagnostic d;
      d.line = line_->number;
      size_t max = static_cast<size_t>(script::kMaxStoredLine);
      size_t kept = utf8_ ? script::Utf8CutLength(line_->raw.data(), line_->raw.size(), max) : max;
      d.column = static_cast<int>(kept) + 1;
      d.end_column = line_->length + 1;
      d.severity = kWarning;
      d.code = "long-line";
      d.message = utf8_ ? "the line is " + Number(line_->length) +
                              " bytes long; the runner keeps only the first 1023 bytes"
                        : "the line is " + Number(line_->length) +
                              " characters long; the runner keeps only the first 1023";
      out_.push_back(d);
    }
  }

  // Every main-section line whose whole text ends with ":" is a place Goto and
  // Gosub can find; the first of equal ones wins.
  void CollectLabels() {
    for (size_t i = 0; i < lines_.size(); ++i) {
      const ScriptText& l = lines_[i];
      if (!l.stored || l.text[l.text.size() - 1] != ':') continue;
      std::string key = Upper(l.text);
      if (l.adlib) {
        adlib_labels_[key] = l.number;
        continue;
      }
      if (labels_.count(key) == 0) {
        labels_[key] = l.number;
        continue;
      }
      if (l.text.find(',') != std::string::npos) continue;
      line_ = &l;
      Add(kWarning, "duplicate-label", 0, static_cast<int>(l.text.size()),
          "the label " + Quoted(l.text) + " is also on line " + Number(labels_[key]) +
              "; Goto and Gosub find only the first");
    }
  }

  // Starts the reader on the line, its references replaced; false (after
  // reporting) when one never closes.
  bool ReplaceReferencesOrReport(LineReader* reader) {
    int bad_at = 0;
    if (reader->ReplaceReferences(line_->text, &bad_at)) return true;
    Add(kError, "bad-reference", bad_at, static_cast<int>(line_->text.size()),
        "Incorrectly formatted ENV string! (this \"%\" has no closing \"%\"; write \\% for a "
        "percent sign)");
    return false;
  }

  void CheckMainLine() {
    LineReader reader;
    if (!ReplaceReferencesOrReport(&reader)) return;
    int index = CheckCommand(&reader, true);
    CheckEscapes();
    TrackFlow(index);
  }

  // An Adlib line: a window title and text, each ended by a comma, then a command.
  void CheckAdlibLine() {
    LineReader reader;
    if (!ReplaceReferencesOrReport(&reader)) return;
    Field title = Take(&reader, ',');
    Field text = Take(&reader, ',');
    if (title.at_end || text.at_end) {
      bool label = line_->text[line_->text.size() - 1] == ':' &&
                   line_->text.find(',') == std::string::npos;
      Add(kError, label ? "adlib-label" : "adlib-parameters", 0,
          static_cast<int>(line_->text.size()),
          label ? "Adlib: Invalid number of parameters! (a label cannot stand in the Adlib "
                  "section: Goto and Gosub search the main section only)"
                : "Adlib: Invalid number of parameters! (an Adlib line is: title, text, "
                  "command)");
      CheckEscapes();
      return;
    }
    CheckCommand(&reader, false);
    CheckEscapes();
  }

  // Reads a field and remembers it for the escape check.
  Field Take(LineReader* reader, char delim) {
    Field f = reader->Next(delim);
    fields_.push_back(f);
    return f;
  }

  // Checks one command line from the reader's cursor, as the dispatcher
  // would run it. Returns the command index, CMD_COUNT for a label or an
  // unknown command, -1 when the keyword comes from a reference.
  int CheckCommand(LineReader* reader, bool top) {
    int keyword_start = reader->Offset();
    Field keyword = Take(reader, ',');
    if (keyword.dynamic()) {
      keyword_from_reference_ = true;
      return -1;
    }
    int index = script::FindCommand(keyword.text.c_str());
    if (index == script::CMD_COUNT) {
      CheckUnknown(keyword, keyword_start, top);
      return script::CMD_COUNT;
    }
    commands_seen_[static_cast<size_t>(index)] = true;
    if (index == script::CMD_RETURN || index == script::CMD_ENDREPEAT) {
      pops_.push_back(Pop{line_, keyword, index});
    }
    const script::CommandInfo& info = *script::CommandAt(index);
    std::vector<Field> fields;
    int count = static_cast<int>(strlen(info.kinds));
    int missing = 0;
    for (int i = 0; i < count; ++i) {
      bool rest = info.form == script::kLineFields && i == count - 1;
      Field f = Take(reader, rest ? '\0' : ',');
      if (f.at_end && i < info.required) ++missing;
      fields.push_back(f);
    }
    if (missing != 0) {
      if (info.message) {
        AddOnField(kError, "missing-parameters", keyword,
                   std::string(info.message) + " (" + keyword.text + " needs " +
                       Number(info.required) + " comma" + (info.required == 1 ? "" : "s") +
                       " after its name" + (info.form == script::kTailFields ? ", the last before the command it runs" : "") + ")");
      } else {
        AddOnField(kWarning, "does-nothing", keyword,
                   keyword.text + " with fewer than " + Number(info.required + 1) +
                       " parameters does nothing");
      }
      return index;
    }
    for (int i = 0; i < count; ++i) CheckField(index, info.kinds[i], fields[static_cast<size_t>(i)]);
    CheckEmptyFields(index, keyword, fields);
    Danger danger;
    if (FindDanger(index, fields, utf8_, &danger)) {
      AddOnField(kWarning, danger.code,
                 danger.field < 0 ? keyword : fields[static_cast<size_t>(danger.field)],
                 danger.message);
    }
    if (info.form == script::kTailFields) {
      if (reader->RestIsBlank()) {
        Add(kError, "empty-condition", keyword.start, reader->Offset(),
            "Error: Invalid command! (" + keyword.text +
                " has no command to run after its last comma)");
      } else {
        CheckCommand(reader, false);
      }
    }
    return index;
  }

  // A keyword the table does not hold: a label when it ends with ":",
  // otherwise the runner's "Invalid command", with a hint where one helps.
  void CheckUnknown(const Field& keyword, int keyword_start, bool top) {
    const std::string& k = keyword.text;
    if (!k.empty() && k[k.size() - 1] == ':') {
      if (top && line_->text.size() > static_cast<size_t>(keyword.end)) {
        AddOnField(kWarning, "label-with-text", keyword,
                   "the label " + Quoted(k) +
                       " can never be jumped to: Goto and Gosub compare the whole line, and "
                       "this one has more after the colon");
      }
      return;
    }
    std::string hint;
    const char* code = "unknown-command";
    size_t blank = k.find_first_of(" \t");
    size_t colon = k.find(':');
    if (k.empty()) {
      hint = "the line has no command";
    } else if (blank != std::string::npos &&
               script::FindCommand(k.substr(0, blank).c_str()) != script::CMD_COUNT) {
      code = "missing-comma";
      hint = "a comma is missing after \"" + k.substr(0, blank) + "\"";
    } else if (colon != std::string::npos && colon > 0) {
      hint = "a label must stand alone on its line";
    } else {
      std::string near = NearestKeyword(k);
      if (!near.empty()) hint = "did you mean " + near + "?";
    }
    int end = keyword.end > keyword.start ? keyword.end : keyword_start + 1;
    Add(kError, code, k.empty() ? keyword_start : keyword.start, end,
        "Error: Invalid command!" + (hint.empty() ? std::string() : " (" + hint + ")"));
  }

  // What each kind of field must hold.
  void CheckField(int index, char kind, const Field& f) {
    if (f.dynamic()) return;
    switch (kind) {
      case script::kFieldNumber:
        // Shutdown flags that read as 0 get the log-off warning instead.
        if (index == script::CMD_SHUTDOWN && LogsOffUnasked(f)) break;
        if (!f.text.empty() && !IsPlainInteger(f.text)) NotANumber(f);
        break;
      case script::kFieldExtent:
        if (!f.text.empty() && !IsPlainInteger(f.text) &&
            !script::EqualsNoCase(f.text.c_str(), "default")) {
          NotANumber(f);
        }
        break;
      case script::kFieldLabel:
        if (index == script::CMD_GOTO || index == script::CMD_GOSUB) CheckLabel(f);
        break;
      case script::kFieldKeys:
        CheckKeys(f);
        break;
      default:
        break;
    }
  }

  // A field the command stops the script on when it is empty, written empty.
  // The runner names the first one it finds, and so does this.
  void CheckEmptyFields(int index, const Field& keyword, const std::vector<Field>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
      const EmptyFieldRule* rule = FindEmptyFieldRule(index, static_cast<int>(i));
      // A reference stands in the text as kUnknown: its value may be empty or not.
      if (rule == 0 || !fields[i].text.empty()) continue;
      AddOnField(kError, "empty-parameter", keyword,
                 std::string(rule->message) + " (" + rule->what + " is empty)");
      return;
    }
    // Run and RunWait pass a working directory that ends the line exactly as
    // written, and no program starts in an empty one; with a show mode after
    // it, an empty directory means the runner's own.
    bool runs = index == script::CMD_RUN || index == script::CMD_RUNWAIT;
    if (runs && fields.size() > 1 && !fields[0].at_end && fields[1].at_end &&
        fields[1].text.empty()) {
      AddOnField(kError, "empty-parameter", keyword,
                 "Failed to run program! (the working directory is empty; leave out its comma)");
    }
  }

  void NotANumber(const Field& f) {
    AddOnField(kWarning, "not-a-number", f,
               Quoted(f.text) + " is not a number: the runner reads it as " +
                   Number(script::IntegerValue(f.text.c_str())));
  }

  void CheckLabel(const Field& f) {
    std::string key = Upper(f.text + ":");
    if (labels_.count(key) != 0) return;
    std::string hint = adlib_labels_.count(key) != 0
                           ? " (the label stands in the Adlib section, which Goto and Gosub never search)"
                           : " (no main-section line reads " + Quoted(f.text + ":") + ")";
    AddOnField(kError, "unknown-label", f, "Error: Cannot find requested label!" + hint);
  }

  // Send's braces: every "{" needs its "}", and a name inside must be a key
  // name Send knows (else it types the name's first character only).
  void CheckKeys(const Field& f) {
    const std::string& t = f.text;
    size_t search_from = 0;
    for (size_t pos = 0; pos < t.size(); ++pos) {
      if (t[pos] != '{') continue;
      if (script::FindClosingBrace(t.c_str(), static_cast<int>(pos + 1)) < 0) {
        AddOnField(kWarning, "unclosed-brace", f,
                   "this \"{\" has no \"}\": Send types it as a character");
        return;
      }
      char braced[script::kBufSize];
      int cursor = static_cast<int>(pos + 1);
      script::SplitField('}', t.c_str(), &cursor, braced);
      char name[script::kBufSize];
      int inner = 0;
      script::SplitField(' ', braced, &inner, name);
      std::string n = name;
      pos = static_cast<size_t>(cursor) - 1;
      // One character in braces is how a prefix character is typed as itself:
      // {!}; in a UTF-8 script that character may take two to four bytes.
      size_t first = FirstCharacterLength(n);
      if (first >= n.size() || n.find(kUnknown) != std::string::npos || script::IsKeyName(name))
        continue;
      int at = KeyOffset(f, n, &search_from);
      Add(kWarning, "unknown-key", at, at + static_cast<int>(n.size()) + 1,
          "Send knows no key {" + Shown(n) + "}: it types " + Quoted(n.substr(0, first)));
    }
  }

  // The length in bytes of the character Send types for an unknown key name:
  // the first byte in an ANSI script, the first UTF-8 character (when valid)
  // in a UTF-8 one.
  size_t FirstCharacterLength(const std::string& name) const {
    if (name.empty()) return 0;
    unsigned cp = 0;
    size_t length = utf8_ ? script::DecodeUtf8(name.data(), name.size(), 0, &cp) : 0;
    return length != 0 ? length : 1;
  }

  // Where "{name" stands in the line, searching on from the last key found,
  // so that each finding of a line gets its own column.
  int KeyOffset(const Field& f, const std::string& name, size_t* search_from) {
    size_t from = std::max(*search_from, static_cast<size_t>(f.start));
    size_t at = line_->text.find("{" + name, from);
    if (at == std::string::npos) return static_cast<int>(from);
    *search_from = at + 1;
    return static_cast<int>(at);
  }

  // A backslash before anything but n, r, t, a comma, a percent sign or a
  // backslash is dropped by the splitter; so is one that ends the line.
  void CheckEscapes() {
    const std::string& t = line_->text;
    bool escaped = false;
    size_t at = 0;
    for (size_t i = 0; i < t.size(); ++i) {
      char c = t[i];
      if (c == '%' && !escaped) {
        size_t close = t.find('%', i + 1);
        if (close == std::string::npos) return;
        i = close;
        continue;
      }
      if (c == '\\') {
        escaped = !escaped;
        at = i;
        continue;
      }
      if (escaped && c != 'n' && c != 'r' && c != 't' && c != ',' && c != '%') {
        DroppedBackslash(static_cast<int>(at), std::string("\\") + c);
      }
      escaped = false;
    }
    if (escaped) DroppedBackslash(static_cast<int>(at), "\\");
  }

  void DroppedBackslash(int at, const std::string& pair) {
    std::string receives;
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (at >= fields_[i].start && at < fields_[i].end) receives = fields_[i].text;
    }
    std::string message = pair == "\\" ? "the backslash at the end of the line is dropped"
                                       : "\"" + pair + "\" drops the backslash";
    if (!receives.empty()) message += ": the command receives " + Quoted(receives);
    message += "; write \\\\ for a backslash";
    Add(kWarning, "dropped-backslash", at, at + static_cast<int>(pair.size()), message);
  }

  // Lines after an unconditional Goto, Exit or Return are never reached
  // until a label; Repeat and EndRepeat should pair in the text.
  void TrackFlow(int index) {
    bool label = index == script::CMD_COUNT && line_->text[line_->text.size() - 1] == ':';
    if (label) dead_since_ = 0;
    if (dead_since_ != 0 && !reported_dead_) {
      Add(kWarning, "unreachable", 0, static_cast<int>(line_->text.size()),
          "this line is never reached: it follows the " + dead_keyword_ + " on line " +
              Number(dead_since_) + " and no label stands between them");
      reported_dead_ = true;
    }
    if (script::EndsStraightRun(index)) {
      if (dead_since_ == 0) {
        dead_since_ = line_->number;
        dead_keyword_ = script::FlowCommandName(index);
        reported_dead_ = false;
      }
    }
    if (index == script::CMD_REPEAT) repeats_.push_back(line_);
    if (index == script::CMD_ENDREPEAT) {
      if (repeats_.empty()) {
        Add(kWarning, "unpaired-repeat", 0, static_cast<int>(line_->text.size()),
            "EndRepeat has no Repeat before it; run this way it stops the script with "
            "\"EndRepeat: EndRepeat with no matching Repeat!\"");
      } else {
        repeats_.pop_back();
      }
    }
  }

  void FinishRepeats() {
    for (size_t i = 0; i < repeats_.size(); ++i) {
      line_ = repeats_[i];
      Add(kWarning, "unpaired-repeat", 0, static_cast<int>(line_->text.size()),
          "this Repeat has no EndRepeat after it");
    }
  }

  // Return and EndRepeat pop a stack that only Gosub and Repeat push. In a
  // script without the pushing command anywhere (and no command named by a
  // reference), every Return or EndRepeat the run reaches stops it. Such an
  // EndRepeat has had the weaker unpaired-repeat warning; the error replaces it.
  void FinishPops() {
    if (keyword_from_reference_) return;
    for (size_t i = 0; i < pops_.size(); ++i) {
      line_ = pops_[i].line;
      bool is_return = pops_[i].command == script::CMD_RETURN;
      int push = is_return ? script::CMD_GOSUB : script::CMD_REPEAT;
      if (commands_seen_[static_cast<size_t>(push)]) continue;
      const ScriptText* here = line_;
      out_.erase(std::remove_if(out_.begin(), out_.end(),
                                [here](const Diagnostic& d) {
                                  return d.line == here->number && d.code == "unpaired-repeat";
                                }),
                 out_.end());
      AddOnField(kError, "unpaired-pop", pops_[i].keyword,
                 is_return ? "Return: Return with no matching Gosub! (the script has no Gosub)"
                           : "EndRepeat: EndRepeat with no matching Repeat! (the script has no "
                             "Repeat)");
    }
  }

  // A Return or EndRepeat, where it stands.
  struct Pop {
    const ScriptText* line;
    Field keyword;
    int command;  // CMD_RETURN or CMD_ENDREPEAT
  };

  std::vector<ScriptText> lines_;
  std::vector<Diagnostic> out_;
  std::map<std::string, int> labels_;        // upper-case label line -> first line number
  std::map<std::string, int> adlib_labels_;  // the same for lines of the Adlib section
  const ScriptText* line_ = nullptr;
  std::vector<Field> fields_;                // the fields of the line, for the escape check
  int dead_since_ = 0;                       // line of the jump that makes lines unreachable
  std::string dead_keyword_;
  bool reported_dead_ = false;
  std::vector<const ScriptText*> repeats_;   // open Repeat lines
  std::vector<bool> commands_seen_ = std::vector<bool>(script::CMD_COUNT, false);  // tails too
  bool keyword_from_reference_ = false;      // some command is named by a %NAME% reference
  std::vector<Pop> pops_;                    // every Return and EndRepeat
  bool utf8_;                                // a UTF-8 script: columns count characters
};

}  // namespace

std::vector<Diagnostic> CheckScript(const std::string& text) { return Checker(text).Run(); }

int CountSeverity(const std::vector<Diagnostic>& diagnostics, Severity severity) {
  int n = 0;
  for (size_t i = 0; i < diagnostics.size(); ++i) {
    if (diagnostics[i].severity == severity) ++n;
  }
  return n;
}

}  // namespace checker
