// In-memory implementation of script/platform.h for the unit tests: a map
// environment with case-insensitive names, a clipboard, a settable clock and
// a record of error boxes.
#include "tests/unit/fake_platform.h"

#include <ctype.h>
#include <map>

#include "script/text.h"

namespace {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
      int ca = tolower((unsigned char)a[i]), cb = tolower((unsigned char)b[i]);
      if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
  }
};

std::map<std::string, std::string, NoCaseLess> g_env;
std::string g_clipboard;
bool g_clipboard_has_text = false;
bool g_clipboard_unreadable = false;
platform::TimeParts g_time;
std::vector<fake::ErrorBox> g_boxes;

}  // namespace

namespace fake {

void Reset() {
  g_env.clear();
  g_clipboard.clear();
  g_clipboard_has_text = false;
  g_clipboard_unreadable = false;
  g_boxes.clear();
  platform::TimeParts t = {5, 4, 10, 15, 3, 2023, 4, 74};
  g_time = t;
}

bool HasEnv(const char* name) { return g_env.count(name) != 0; }

std::string Env(const char* name) {
  std::map<std::string, std::string, NoCaseLess>::const_iterator it = g_env.find(name);
  return it == g_env.end() ? std::string() : it->second;
}

void SetClipboard(const std::string& text) {
  g_clipboard = text;
  g_clipboard_has_text = true;
}

void ClearClipboard() {
  g_clipboard.clear();
  g_clipboard_has_text = false;
}

void SetClipboardUnreadable(bool unreadable) { g_clipboard_unreadable = unreadable; }

std::string Clipboard() { return g_clipboard; }

void SetTime(const platform::TimeParts& parts) { g_time = parts; }

const std::vector<ErrorBox>& ErrorBoxes() { return g_boxes; }

}  // namespace fake

namespace platform {

void GetEnv(const char* name, char* out, int size) {
  script::CopyText(out, fake::Env(name).c_str(), size + 1);
}

void SetEnv(const char* name, const char* value) { g_env[name] = value; }

void ReadClipboard(char* out, int size) {
  if (!g_clipboard_has_text) {
    out[0] = '\0';
    return;
  }
  const char* text = g_clipboard_unreadable ? "Kestro Clipboard overflow" : g_clipboard.c_str();
  script::CopyText(out, text, size + 1);
}

void WriteClipboard(const char* value) { fake::SetClipboard(value); }

void LocalTime(TimeParts* out) { *out = g_time; }

void ShowScriptError(int line_number, const char* title, const char* message) {
  fake::ErrorBox box = {line_number, title, message};
  g_boxes.push_back(box);
}

}  // namespace platform
