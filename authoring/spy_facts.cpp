// The spy's reports: JSON, the live window's text and the lines it copies.
#include "authoring/spy_facts.h"

#include <stdio.h>
#include <string.h>

#include "authoring/json.h"
#include "authoring/script_line.h"

namespace authoring {

namespace {

// The most characters of a title or text the copied lines take.
const size_t kMaxLinePart = 200;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Number(int value) {
  char text[16];
  sprintf(text, "%d", value);
  return text;
}

void WriteRect(JsonWriter* json, const Rect& r) {
  json->BeginObject();
  json->Key("left");
  json->Int(r.left);
  json->Key("top");
  json->Int(r.top);
  json->Key("right");
  json->Int(r.right);
  json->Key("bottom");
  json->Int(r.bottom);
  json->EndObject();
}

void WriteWindow(JsonWriter* json, const PointFacts& f) {
  json->BeginObject();
  json->Key("title");
  json->String(f.title);
  json->Key("class");
  json->String(f.class_name);
  json->Key("rect");
  WriteRect(json, f.rect);
  json->Key("program");
  json->String(f.program);
  json->EndObject();
}

void WriteControl(JsonWriter* json, const PointFacts& f) {
  json->BeginObject();
  json->Key("class");
  json->String(f.control_class);
  json->Key("id");
  json->Int(f.control_id);
  json->Key("text");
  json->String(f.control_text);
  json->Key("rect");
  WriteRect(json, f.control_rect);
  json->EndObject();
}

void WriteTexts(JsonWriter* json, const std::vector<TextSeen>& texts) {
  json->BeginArray();
  for (size_t i = 0; i < texts.size(); ++i) {
    json->BeginObject();
    json->Key("text");
    json->String(texts[i].text);
    json->Key("visible");
    json->Bool(texts[i].visible);
    json->EndObject();
  }
  json->EndArray();
}

// Keeps a line short: a title is matched by its start and a text by any part,
// so the start of either, up to its first line break, finds the same window.
// The texts are UTF-8: a long one is cut before a character, never inside it.
std::string Shortened(const std::string& text) {
  size_t end = text.find_first_of("\r\n");
  if (end == std::string::npos) end = text.size();
  if (end > kMaxLinePart) {
    end = kMaxLinePart;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  }
  return text.substr(0, end);
}

// Role numbers of Active Accessibility with their words, and whether an
// element's name in that role stays as the user works.
struct Role {
  int number;
  const char* name;
  int stability;
};
const Role kRoles[] = {
    {0x0A, "client", kUnknown},        {0x0C, "menu item", kStays},
    {0x0F, "document", kChanges},      {0x14, "grouping", kStays},
    {0x17, "status bar", kChanges},    {0x1E, "link", kStays},
    {0x22, "list item", kChanges},     {0x24, "outline item", kChanges},
    {0x25, "page tab", kStays},        {0x29, "static text", kStays},
    {0x2A, "text", kChanges},          {0x2B, "push button", kStays},
    {0x2C, "check button", kStays},    {0x2D, "radio button", kStays},
    {0x2E, "combo box", kChanges},     {0x30, "progress bar", kChanges},
    {0x38, "drop-down button", kStays}, {0x39, "menu button", kStays},
};

const Role* RoleOf(int role) {
  for (size_t i = 0; i < sizeof(kRoles) / sizeof(kRoles[0]); ++i) {
    if (kRoles[i].number == role) return &kRoles[i];
  }
  return NULL;
}

bool Tested(const TextSeen& t, bool hidden) { return t.visible || hidden; }

// Whether a control text the text test looks at holds the words.
bool ControlsHold(const PointFacts& f, const std::string& words, bool hidden) {
  for (size_t i = 0; i < f.texts.size(); ++i) {
    if (Tested(f.texts[i], hidden) && f.texts[i].text.find(words) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

int ClassStability(const std::string& class_name) {
  static const char* const kStaying[] = {"button", "static", "syslink"};
  static const char* const kChanging[] = {"edit", "richedit", "msctls_statusbar32", "combobox",
                                          "listbox", "syslistview32", "systreeview32",
                                          "msctls_progress32"};
  std::string lower;
  for (size_t i = 0; i < class_name.size(); ++i)
    lower += static_cast<char>(class_name[i] >= 'A' && class_name[i] <= 'Z' ? class_name[i] + 32 : class_name[i]);
  for (size_t i = 0; i < sizeof(kStaying) / sizeof(kStaying[0]); ++i) {
    if (lower == kStaying[i]) return kStays;
  }
  for (size_t i = 0; i < sizeof(kChanging) / sizeof(kChanging[0]); ++i) {
    if (lower.compare(0, strlen(kChanging[i]), kChanging[i]) == 0) return kChanges;  // RichEdit20W too
  }
  return kUnknown;
}

int RoleStability(int role, bool value) {
  if (value) return kChanges;  // an element's value is what the user set
  const Role* r = RoleOf(role);
  return r ? r->stability : kUnknown;
}

std::string RoleName(int role) {
  const Role* r = RoleOf(role);
  return r ? r->name : "role " + Number(role);
}

Proposal ProposeWait(const PointFacts& f, bool hidden) {
  Proposal p = {std::string(), false, false};
  const TextSeen* control = NULL;
  for (size_t i = 0; f.has_control && i < f.texts.size(); ++i) {
    if (f.texts[i].text == f.control_text && Tested(f.texts[i], hidden)) {
      control = &f.texts[i];
      break;
    }
  }
  if (control != NULL && control->stability != kChanges) {
    p.text = Shortened(control->text);
    return p;
  }
  for (size_t i = 0; i < f.texts.size(); ++i) {
    if (Tested(f.texts[i], hidden) && f.texts[i].stability == kStays) {
      p.text = Shortened(f.texts[i].text);
      return p;
    }
  }
  for (size_t i = 0; i < f.accessible.size(); ++i) {
    const TextSeen& t = f.accessible[i];
    std::string words = Shortened(t.text);
    if (Tested(t, hidden) && t.stability == kStays && !ControlsHold(f, words, hidden)) {
      p.text = words;
      p.needs_accessible = true;
      return p;
    }
  }
  if (control != NULL) {
    p.text = Shortened(control->text);
    p.only_changing = control->stability == kChanges;
    return p;
  }
  // Nothing to name: say so when the window holds text, all of it changing.
  for (size_t i = 0; i < f.texts.size(); ++i) {
    if (Tested(f.texts[i], hidden) && f.texts[i].stability == kChanges) p.only_changing = true;
  }
  return p;
}

std::string WaitText(const PointFacts& f, bool hidden) { return ProposeWait(f, hidden).text; }

std::vector<std::string> OnlyAccessible(const PointFacts& f, bool hidden) {
  std::vector<std::string> only;
  for (size_t i = 0; i < f.accessible.size(); ++i) {
    const TextSeen& t = f.accessible[i];
    if (Tested(t, hidden) && !ControlsHold(f, t.text, hidden)) only.push_back(t.text);
  }
  return only;
}

std::string LineTitle(const PointFacts& f) { return Shortened(f.title); }

std::string CopyLines(const PointFacts& f, bool hidden) {
  std::string lines;
  Proposal p = ProposeWait(f, hidden);
  if (p.needs_accessible) lines += "DetectAccessibleText, On\r\n";
  lines += WinWaitLine(LineTitle(f), p.text) + "\r\n";
  lines += WinActivateLine(LineTitle(f)) + "\r\n";
  lines += PointLine("LeftClick", f.rel_x, f.rel_y) + "\r\n";
  return lines;
}

std::string PointJson(const PointFacts& f, bool hidden) {
  JsonWriter json;
  json.BeginObject();
  json.Key("point");
  json.BeginObject();
  json.Key("x");
  json.Int(f.x);
  json.Key("y");
  json.Int(f.y);
  json.EndObject();
  json.Key("window");
  if (f.has_window) WriteWindow(&json, f);
  else json.Null();
  json.Key("control");
  if (f.has_control) WriteControl(&json, f);
  else json.Null();
  json.Key("texts");
  WriteTexts(&json, f.texts);
  json.Key("accessible");
  json.BeginArray();
  for (size_t i = 0; i < f.accessible.size(); ++i) {
    const TextSeen& t = f.accessible[i];
    json.BeginObject();
    json.Key("text");
    json.String(t.text);
    json.Key("visible");
    json.Bool(t.visible);
    json.Key("kind");
    json.String(t.kind);
    json.Key("only_accessible");
    json.Bool(!ControlsHold(f, t.text, hidden));
    json.EndObject();
  }
  json.EndArray();
  json.Key("relative");
  json.BeginObject();
  json.Key("x");
  json.Int(f.rel_x);
  json.Key("y");
  json.Int(f.rel_y);
  json.Key("to");
  json.String(f.rel_to);
  json.Key("foreground");
  json.Bool(f.rel_to_foreground);
  json.EndObject();
  json.Key("active");
  json.String(f.active);
  Proposal p = ProposeWait(f, hidden);
  json.Key("wait_line");
  json.String(f.has_window ? WinWaitLine(LineTitle(f), p.text) : std::string());
  json.Key("needs_accessible");
  json.Bool(f.has_window && p.needs_accessible);
  json.Key("only_changing");
  json.Bool(f.has_window && p.only_changing);
  json.Key("wait_finds_this");
  json.Bool(f.wait_finds_this);
  json.EndObject();
  return json.text() + "\n";
}

std::string MatchJson(const MatchFacts& f) {
  JsonWriter json;
  json.BeginObject();
  json.Key("title");
  json.String(f.title);
  json.Key("text");
  json.String(f.text);
  json.Key("mode");
  json.Int(f.mode);
  json.Key("hidden");
  json.Bool(f.hidden);
  json.Key("windows");
  json.BeginArray();
  for (size_t i = 0; i < f.windows.size(); ++i) {
    const WindowVerdict& w = f.windows[i];
    json.BeginObject();
    json.Key("title");
    json.String(w.title);
    json.Key("class");
    json.String(w.class_name);
    json.Key("rect");
    WriteRect(&json, w.rect);
    json.Key("title_passes");
    json.Bool(w.title_passes);
    json.Key("text_passes");
    if (w.title_passes) json.Bool(w.text_passes);
    else json.Null();  // never looked for
    json.EndObject();
  }
  json.EndArray();
  json.Key("match");
  if (f.matched && !f.windows.empty()) json.String(f.windows.back().title);
  else json.Null();
  json.EndObject();
  return json.text() + "\n";
}

std::string PointDisplay(const PointFacts& f, bool hidden) {
  const char* nl = "\r\n";
  std::string d;
  if (!f.has_window) {
    d += "Window\t(none)";
    d += nl;
  } else {
    d += "Window\t" + Quoted(f.title) + nl;
    d += "Class\t" + f.class_name + nl;
    d += "Rectangle\t" + Number(f.rect.left) + ", " + Number(f.rect.top) + " to " +
         Number(f.rect.right) + ", " + Number(f.rect.bottom) + "  (" +
         Number(f.rect.right - f.rect.left) + " x " + Number(f.rect.bottom - f.rect.top) + ")" + nl;
    d += "Program\t" + f.program + nl;
  }
  if (f.has_control) {
    d += "Control\t" + f.control_class + ", id " + Number(f.control_id) + ": " +
         Quoted(f.control_text) + nl;
  } else {
    d += "Control\t(none)";
    d += nl;
  }
  if (f.texts.empty()) {
    d += "Texts\t(none)";
    d += nl;
  }
  for (size_t i = 0; i < f.texts.size(); ++i) {
    d += (i == 0 ? "Texts\t" : "\t") + Quoted(f.texts[i].text);
    if (!f.texts[i].visible) d += hidden ? "  (hidden)" : "  (hidden: not tested)";
    d += nl;
  }
  // The accessible elements' texts, those no control holds marked: they match
  // only with DetectAccessibleText, On. A long list shows its start.
  const size_t kShown = 12;
  for (size_t i = 0; i < f.accessible.size() && i < kShown; ++i) {
    const TextSeen& t = f.accessible[i];
    d += (i == 0 ? "Accessible\t" : "\t") + Quoted(t.text) + " (" + t.kind + ")";
    if (!Tested(t, hidden)) d += "  (hidden: not tested)";
    else if (!ControlsHold(f, t.text, hidden)) d += "  (only with DetectAccessibleText, On)";
    d += nl;
  }
  if (f.accessible.size() > kShown) d += "\t... " + Number(static_cast<int>(f.accessible.size() - kShown)) + " more" + nl;
  if (f.has_window) {
    Proposal p = ProposeWait(f, hidden);
    d += "Proposed\t";
    if (p.needs_accessible) d += "DetectAccessibleText, On  +  ";
    d += WinWaitLine(LineTitle(f), p.text) + nl;
    if (p.only_changing) d += std::string("\tthe only text found is likely to change as the user works") + nl;
  }
  d += "Screen\t" + Number(f.x) + ", " + Number(f.y) + nl;
  d += "Relative\t" + Number(f.rel_x) + ", " + Number(f.rel_y);
  d += f.rel_to_foreground ? " to the active window" : " to the window under the pointer";
  d += nl;
  d += "Active\t" + Quoted(f.active) + nl;
  if (f.has_window) {
    d += "WinWait\t";
    if (f.wait_finds_this) d += "finds this window";
    else if (f.wait_finds_other) d += "finds " + Quoted(f.wait_finds) + " first";
    else d += "finds no window";
    d += nl;
  }
  return d;
}

std::string VerdictLine(const WindowVerdict& v, bool winner) {
  std::string line = winner ? "=> " : "    ";
  line += v.title_passes ? "title yes" : "title no ";
  if (v.text_tested) line += v.text_passes ? ", text yes" : ", text no ";
  else line += "          ";
  line += "   " + Quoted(v.title) + " (" + v.class_name + ")";
  return line;
}

std::string MatchSummary(const MatchFacts& f) {
  size_t n = f.windows.size();
  std::string s = Number(static_cast<int>(n)) + (n == 1 ? " window" : " windows") + " examined; ";
  if (f.matched && !f.windows.empty()) return s + "the match is " + Quoted(f.windows.back().title);
  return s + "no window matches";
}

}  // namespace authoring
