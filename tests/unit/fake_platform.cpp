// The fake platform: a map environment, a clipboard, a fixed clock, a record of
// error boxes, message boxes and armed timers, a list of windows for the
// matcher with one in the foreground, and processes that end when told.
#include "tests/unit/fake_platform.h"

#include <ctype.h>
#include <stdlib.h>

#include "script/interp.h"
#include "script/text.h"

namespace fake {

namespace {

Platform& Self(void* context) { return *static_cast<Platform*>(context); }

bool TitlePasses(const std::string& title, const std::string& pattern, int mode) {
  if (pattern.empty()) return true;
  if (mode == 1) return title.compare(0, pattern.size(), pattern) == 0;
  if (mode == 2) return title.find(pattern) != std::string::npos;
  return false;
}

}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int ca = tolower(static_cast<unsigned char>(a[i]));
    int cb = tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

Platform::Platform()
    : clipboard_has_text_(false), clipboard_unreadable_(false), foreground_(0), open_searches_(0),
      find_calls_(0) {
  script::TimeParts t = {5, 4, 10, 15, 3, 2023, 4, 74};
  time_ = t;
  services_.context = this;
  services_.get_env = GetEnv;
  services_.set_env = PutEnv;
  services_.read_clipboard = ReadClipboard;
  services_.write_clipboard = WriteClipboard;
  services_.local_time = LocalTime;
  services_.show_error = ShowError;
  services_.arm_wait_timer = ArmWaitTimer;
  services_.find_window = FindWindow;
  services_.foreground_window = ForegroundWindow;
  services_.process_ended = ProcessEnded;
  services_.close_process = CloseProcess;
  services_.open_search = OpenSearch;
  services_.close_search = CloseSearch;
  services_.message_box = ShowMessageBox;
}

std::string Platform::Env(const std::string& name) const {
  std::map<std::string, std::string, NoCaseLess>::const_iterator it = env_.find(name);
  return it == env_.end() ? std::string() : it->second;
}

void Platform::SetClipboard(const std::string& text) {
  clipboard_ = text;
  clipboard_has_text_ = true;
}

void Platform::ClearClipboard() {
  clipboard_.clear();
  clipboard_has_text_ = false;
}

std::string Platform::LastError() const {
  return boxes_.empty() ? std::string() : boxes_.back().message;
}

void Platform::AddWindow(const std::string& title, const std::string& text) {
  Window w = {title, text};
  windows_.push_back(w);
}

void Platform::GetEnv(void* context, const char* name, char* out, int size) {
  script::CopyText(out, Self(context).Env(name).c_str(), size + 1);
}

void Platform::PutEnv(void* context, const char* name, const char* value) {
  Self(context).env_[name] = value;
}

void Platform::ReadClipboard(void* context, char* out, int size) {
  Platform& p = Self(context);
  if (!p.clipboard_has_text_) {
    out[0] = '\0';
    return;
  }
  const char* text = p.clipboard_unreadable_ ? "Kestro Clipboard overflow" : p.clipboard_.c_str();
  script::CopyText(out, text, size + 1);
}

void Platform::WriteClipboard(void* context, const char* value) { Self(context).SetClipboard(value); }

void Platform::LocalTime(void* context, script::TimeParts* out) { *out = Self(context).time_; }

void Platform::ShowError(void* context, int line_number, const char* title, const char* message) {
  ErrorBox box = {line_number, title, message};
  Self(context).boxes_.push_back(box);
}

void Platform::ArmWaitTimer(void* context, unsigned int ms) { Self(context).armed_.push_back(ms); }

script::WindowHandle Platform::HandleOf(int index) {
  return reinterpret_cast<script::WindowHandle>(static_cast<size_t>(index) + 1);
}

script::ProcessHandle Platform::StartProcess() {
  Process p = {false, 0, true};
  processes_.push_back(p);
  return reinterpret_cast<script::ProcessHandle>(processes_.size());
}

void Platform::EndProcess(script::ProcessHandle process, int exit_code) {
  Process& p = processes_.at(reinterpret_cast<size_t>(process) - 1);
  p.ended = true;
  p.exit_code = exit_code;
}

bool Platform::ProcessHeld(script::ProcessHandle process) const {
  return processes_.at(reinterpret_cast<size_t>(process) - 1).held;
}

script::WindowHandle Platform::FindWindow(void* context, const script::WindowPattern& pattern,
                                          int title_match_mode, int detect_hidden_text,
                                          int detect_accessible_text) {
  Platform& p = Self(context);
  MatchRequest request = {pattern.title, pattern.text, title_match_mode, detect_hidden_text,
                          detect_accessible_text};
  ++p.find_calls_;
  p.requests_.push_back(request);
  if (p.requests_.size() > kKeptRequests) p.requests_.pop_front();
  for (size_t i = 0; i < p.windows_.size(); ++i) {
    const Window& w = p.windows_[i];
    if (!TitlePasses(w.title, request.title, title_match_mode)) continue;
    if (request.text.empty() || w.text.find(request.text) != std::string::npos)
      return HandleOf(static_cast<int>(i));
  }
  return 0;
}

script::WindowHandle Platform::ForegroundWindow(void* context) {
  Platform& p = Self(context);
  return p.foreground_ == 0 ? 0 : HandleOf(p.foreground_ - 1);
}

// A process the core closed, or one it never got, is a fault of the core.
bool Platform::ProcessEnded(void* context, script::ProcessHandle process, int* exit_code) {
  Process& p = Self(context).processes_.at(reinterpret_cast<size_t>(process) - 1);
  if (!p.held) abort();
  if (!p.ended) return false;
  *exit_code = p.exit_code;
  return true;
}

void Platform::CloseProcess(void* context, script::ProcessHandle process) {
  Process& p = Self(context).processes_.at(reinterpret_cast<size_t>(process) - 1);
  if (!p.held) abort();  // closed twice
  p.held = false;
}

script::SearchHandle Platform::OpenSearch(void* context, const char* path) {
  Platform& p = Self(context);
  for (size_t i = 0; i < p.paths_.size(); ++i) {
    if (p.paths_[i] != path) continue;
    ++p.open_searches_;
    return reinterpret_cast<script::SearchHandle>(i + 1);
  }
  return 0;
}

void Platform::CloseSearch(void* context, script::SearchHandle) {
  Platform& p = Self(context);
  if (p.open_searches_ == 0) abort();  // closed twice
  --p.open_searches_;
}

int Platform::ShowMessageBox(void* context, const char* title, const char* text,
                             unsigned int flags) {
  Platform& p = Self(context);
  ShownBox box = {title, text, flags};
  p.message_boxes_.push_back(box);
  if (p.buttons_.empty()) return script::kBoxOk;
  int button = p.buttons_.front();
  p.buttons_.pop_front();
  return button;
}

Platform& Of(script::Interp& in) { return Self(in.sys->context); }

}  // namespace fake
