// The platform services the interpreter core needs, as one table of functions
// that the host fills in: the Win32 runner over the system, the tests with fakes.
#ifndef KESTRO_SCRIPT_SERVICES_H
#define KESTRO_SCRIPT_SERVICES_H

namespace script {

struct WindowPattern;

// Local time broken into the parts the date and time variables show.
struct TimeParts {
  int sec, min, hour;   // 0-59, 0-59, 0-23
  int mday, mon, year;  // 1-31, 1-12, full year
  int wday, yday;       // 1 (Sunday)-7, 1-366
};

// Operating-system families, as the version record's platform id tells them.
const int kPlatformWindows95 = 1;
const int kPlatformNt = 2;

struct Services {
  void* context;  // handed back to every function below

  // Reads an environment variable into out: at most size characters, always
  // terminated (out holds size + 1 bytes). An undefined name gives "".
  void (*get_env)(void* context, const char* name, char* out, int size);
  // Sets an environment variable (programs started later inherit it).
  void (*set_env)(void* context, const char* name, const char* value);
  // Reads the clipboard text (at most size characters, terminated). No text
  // gives ""; text that cannot be read gives "Kestro Clipboard overflow".
  void (*read_clipboard)(void* context, char* out, int size);
  // Replaces the clipboard text; silently does nothing when memory runs out.
  void (*write_clipboard)(void* context, const char* value);
  // The local time now.
  void (*local_time)(void* context, TimeParts* out);
  // Shows a script error: the system-modal box titled `title` (or, in
  // unattended mode, one log line); returns when the user has closed it.
  void (*show_error)(void* context, int line_number, const char* title, const char* message);
  // Starts the wait timeout timer, replacing a pending one; it calls
  // OnWaitTimeout once after ms milliseconds.
  void (*arm_wait_timer)(void* context, unsigned int ms);
  // True when a top-level window matches the pattern under the title match
  // mode and hidden-text setting given.
  bool (*find_window)(void* context, const WindowPattern& pattern, int title_match_mode,
                      int detect_hidden_text);

  int os_platform;    // kPlatformNt or kPlatformWindows95
  int os_major;       // major version number
  void* host_window;  // the host window (owner of boxes and the clipboard), once it exists
  void* own_status;   // the host's status edit: it shows the line being run, so window
                      // text tests must not look into it
};

}  // namespace script

#endif
