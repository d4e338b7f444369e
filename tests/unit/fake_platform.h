// An in-memory platform for the unit tests, the fuzz targets and the benchmarks:
// it fills a script::Services with fakes and lets a test set up and inspect them.
#ifndef KESTRO_TESTS_FAKE_PLATFORM_H
#define KESTRO_TESTS_FAKE_PLATFORM_H

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "script/services.h"

namespace script {
struct Interp;
}

namespace fake {

// One error box that the core asked to show.
struct ErrorBox {
  int line;
  std::string title;
  std::string message;
};

// A top-level window of the fake desktop: its title and the text of its children.
struct Window {
  std::string title;
  std::string text;
};

// One message box that the core asked to show.
struct ShownBox {
  std::string title;
  std::string text;
  unsigned int flags;
};

// One question put to the window matcher.
struct MatchRequest {
  std::string title;
  std::string text;
  int title_match_mode;
  int detect_hidden_text;
  int detect_accessible_text;
};

// Orders environment names without regard to ASCII letter case, as the
// system's environment does.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// The fake platform. It starts with an empty environment, an empty clipboard,
// no windows, and the clock at Wednesday 15 March 2023, 10:04:05 (day 74).
// The services hold a pointer to it, so it is neither copied nor moved.
class Platform {
 public:
  Platform();
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;

  // The table to hand to script::InitInterp and the variable functions.
  const script::Services& services() const { return services_; }

  // The environment: names compare without regard to letter case.
  void SetEnv(const std::string& name, const std::string& value) { env_[name] = value; }
  // True when the name is set (any letter case), even to "".
  bool HasEnv(const std::string& name) const { return env_.count(name) != 0; }
  // The value of a variable, "" when it is not set.
  std::string Env(const std::string& name) const;

  // The clipboard: its text, whether it holds text at all, and a switch that
  // makes it offer text that cannot be read.
  void SetClipboard(const std::string& text);
  void ClearClipboard();
  void SetClipboardUnreadable(bool unreadable) { clipboard_unreadable_ = unreadable; }
  const std::string& Clipboard() const { return clipboard_; }

  // The clock that local_time reports.
  void SetTime(const script::TimeParts& parts) { time_ = parts; }

  // Every error box shown, oldest first; the message of the last one or "".
  const std::vector<ErrorBox>& ErrorBoxes() const { return boxes_; }
  std::string LastError() const;

  // The periods the wait timeout timer was armed with, oldest first.
  const std::vector<unsigned int>& ArmedTimers() const { return armed_; }

  // The desktop. A window matches a pattern when its title passes the title
  // test (mode 1: starts with the pattern title, mode 2: contains it, any other
  // mode: fails; an empty pattern title passes in every mode) and, when the
  // pattern text is not empty, its text contains the pattern text. Comparisons
  // are case-sensitive.
  // The matcher hands out a window's position in the list, counted from 1, as
  // its handle.
  void AddWindow(const std::string& title, const std::string& text = std::string());
  void CloseWindows() {
    windows_.clear();
    foreground_ = 0;
  }
  // Brings the window at that position (from 0) to the foreground; -1: none.
  void SetForeground(int index) { foreground_ = index + 1; }
  // The handle the matcher gives the window at that position (from 0).
  static script::WindowHandle HandleOf(int index);
  // How often the matcher was asked, and what: the most recent kKeptRequests
  // questions, oldest first (a long fuzz run asks millions).
  static const size_t kKeptRequests = 256;
  int FindCalls() const { return find_calls_; }
  const std::deque<MatchRequest>& MatchRequests() const { return requests_; }

  // Processes: a test starts one (as RunWait's command would), ends it with
  // an exit code, and sees whether the core let go of it.
  script::ProcessHandle StartProcess();
  void EndProcess(script::ProcessHandle process, int exit_code);
  bool ProcessHeld(script::ProcessHandle process) const;

  // Paths: a search finds exactly the paths added (no wildcards), and is
  // counted while open.
  void AddPath(const std::string& path) { paths_.push_back(path); }
  int OpenSearches() const { return open_searches_; }

  // Message boxes: each one shown is recorded and closed with the next
  // button queued (kBoxOk when none is).
  void QueueButton(int button) { buttons_.push_back(button); }
  const std::vector<ShownBox>& MessageBoxes() const { return message_boxes_; }

  // A log the tests' own command handlers write to, so a test can see which
  // lines ran and with what.
  void Record(const std::string& entry) { trace_.push_back(entry); }
  const std::vector<std::string>& Trace() const { return trace_; }

 private:
  static void GetEnv(void* context, const char* name, char* out, int size);
  static void PutEnv(void* context, const char* name, const char* value);
  static void ReadClipboard(void* context, char* out, int size);
  static void WriteClipboard(void* context, const char* value);
  static void LocalTime(void* context, script::TimeParts* out);
  static void ShowError(void* context, int line_number, const char* title, const char* message);
  static void ArmWaitTimer(void* context, unsigned int ms);
  static script::WindowHandle FindWindow(void* context, const script::WindowPattern& pattern,
                                         int title_match_mode, int detect_hidden_text,
                                         int detect_accessible_text);
  static script::WindowHandle ForegroundWindow(void* context);
  static bool ProcessEnded(void* context, script::ProcessHandle process, int* exit_code);
  static void CloseProcess(void* context, script::ProcessHandle process);
  static script::SearchHandle OpenSearch(void* context, const char* path);
  static void CloseSearch(void* context, script::SearchHandle search);
  static int ShowMessageBox(void* context, const char* title, const char* text, unsigned int flags);

  // One started process: whether it has ended, with what code, and whether
  // the core still holds it.
  struct Process {
    bool ended;
    int exit_code;
    bool held;
  };

  script::Services services_;
  std::map<std::string, std::string, NoCaseLess> env_;
  std::string clipboard_;
  bool clipboard_has_text_;
  bool clipboard_unreadable_;
  script::TimeParts time_;
  std::vector<ErrorBox> boxes_;
  std::vector<unsigned int> armed_;
  std::vector<Window> windows_;
  int foreground_;  // position from 1 of the foreground window; 0: none
  std::vector<Process> processes_;
  std::vector<std::string> paths_;
  int open_searches_;
  std::deque<int> buttons_;
  std::vector<ShownBox> message_boxes_;
  int find_calls_;
  std::deque<MatchRequest> requests_;
  std::vector<std::string> trace_;
};

// The fake platform behind an interpreter whose services came from one.
Platform& Of(script::Interp& in);

}  // namespace fake

#endif
