// What wintarget is asked to open: one request per window, read from the command line.
#ifndef KESTRO_TESTS_E2E_WINTARGET_OPTIONS_H
#define KESTRO_TESTS_E2E_WINTARGET_OPTIONS_H

namespace wintarget {

const int kMaxWindows = 32;
const int kMaxChildren = 8;

struct Child {
  const char* text;
  bool hidden;  // created without WS_VISIBLE
  bool nested;  // placed inside a plain container child (a grandchild of the window)
};

struct WindowRequest {
  const char* title;
  const char* name;         // label of the window's log lines (default: the title)
  const char* class_name;   // window class (default "KestroTarget")
  int x, y, width, height;
  Child children[kMaxChildren];
  int child_count;
  bool hidden;              // never shown
  int delay_ms;             // appears this long after start
  int close_after_ms;       // destroys itself this long after appearing (0: never)
  bool hang;                // its thread stops answering messages once it is shown
  bool refuse_session_end;  // answers WM_QUERYENDSESSION with FALSE
  int refuse_close;         // WM_CLOSE messages ignored before one is obeyed
  bool report;              // the close line names the state, position and size
  bool report_active;       // and whether the window is the foreground window
  bool log_moves;           // logs every new position or size
  bool vanish_on_activate;  // destroys itself when it is activated
  bool vanish_on_minimize;  // destroys itself when it is minimised
  const char* deflect;      // title of a window it hands the activation to
  int slow_minimize_ms;     // its thread is busy this long when it is first minimised
  int settle_ms;            // a title set sooner than this after its next activation is logged as such
  const char* forward_title;  // the title it takes, unlogged, when it comes forward after a slow minimise
};

struct Options {
  const char* log_path;     // log file (default "wintarget.log")
  int lifetime_ms;          // the program ends after this long at the latest
  WindowRequest windows[kMaxWindows];
  int window_count;
};

// Fills options from argv; prints the problem and returns false on a bad option.
bool ParseOptions(int argc, char** argv, Options* options);

}  // namespace wintarget

#endif
