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

// A window or a process of the system as the core holds it: a handle it
// never looks into and only hands back to the services; 0 means none.
typedef void* WindowHandle;
typedef void* ProcessHandle;
typedef void* SearchHandle;

// Message-box buttons, as the platform numbers the button that closed a box.
enum BoxButton { kBoxNone = 0, kBoxOk = 1, kBoxCancel, kBoxAbort, kBoxRetry, kBoxIgnore,
                 kBoxYes, kBoxNo };

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
  // The first top-level window, in the system's window order, that matches
  // the pattern under the title match mode and the hidden-text and
  // accessible-text settings given; 0 when none does.
  WindowHandle (*find_window)(void* context, const WindowPattern& pattern, int title_match_mode,
                              int detect_hidden_text, int detect_accessible_text);
  // The window in the foreground, or 0.
  WindowHandle (*foreground_window)(void* context);
  // True once the process has ended, with its exit code in *exit_code (1 when
  // the code cannot be read); false while it runs.
  bool (*process_ended)(void* context, ProcessHandle process, int* exit_code);
  // Lets go of a process the core held on to.
  void (*close_process)(void* context, ProcessHandle process);
  // Starts a search for the entries a path names (wildcards allowed in its
  // last component, directories count); 0 when it finds none. An open search
  // is closed with close_search.
  SearchHandle (*open_search)(void* context, const char* path);
  void (*close_search)(void* context, SearchHandle search);
  // Shows a message box with the platform's MB_ flags and returns the button
  // that closed it, kBoxNone when it could not be shown.
  int (*message_box)(void* context, const char* title, const char* text, unsigned int flags);
};

}  // namespace script

#endif
