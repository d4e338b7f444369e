// The spy's reports: JSON, the live window's text and the lines it copies.
#include "authoring/spy_facts.h"

#include <stdio.h>

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

}  // namespace

std::string WaitText(const PointFacts& f, bool hidden) {
  if (!f.has_control) return std::string();
  for (size_t i = 0; i < f.texts.size(); ++i) {
    if (f.texts[i].text != f.control_text) continue;
    return (f.texts[i].visible || hidden) ? Shortened(f.control_text) : "";
  }
  return std::string();
}

std::string LineTitle(const PointFacts& f) { return Shortened(f.title); }

std::string CopyLines(const PointFacts& f, bool hidden) {
  std::string lines;
  lines += WinWaitLine(LineTitle(f), WaitText(f, hidden)) + "\r\n";
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
  json.Key("wait_line");
  json.String(f.has_window ? WinWaitLine(LineTitle(f), WaitText(f, hidden)) : std::string());
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
