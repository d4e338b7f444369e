// The few operating-system services the portable core needs. The runner
// implements them over Win32 (host/platform_win.cpp); the unit tests over
// plain memory (tests/unit/fake_platform.cpp).
#ifndef KESTRO_SCRIPT_PLATFORM_H
#define KESTRO_SCRIPT_PLATFORM_H

namespace platform {

// Reads an environment variable into out: at most size characters, always
// terminated (out holds size + 1 bytes). An undefined name gives "".
void GetEnv(const char* name, char* out, int size);

// Sets an environment variable (programs started later inherit it).
void SetEnv(const char* name, const char* value);

// Reads the clipboard text into out (at most size characters, terminated).
// No text on the clipboard gives ""; a clipboard that offers text but cannot
// be read gives "Kestro Clipboard overflow".
void ReadClipboard(char* out, int size);

// Replaces the clipboard text; silently does nothing when memory runs out.
void WriteClipboard(const char* value);

// Local time broken into the parts the date and time variables show.
struct TimeParts {
  int sec, min, hour;  // 0-59, 0-59, 0-23
  int mday, mon, year; // 1-31, 1-12, full year
  int wday, yday;      // 1 (Sunday)-7, 1-366
};
void LocalTime(TimeParts* out);

// Reports a script error: the system-modal box titled `title` (or, in
// unattended mode, one log line naming the line number) and returns when the
// user has closed it.
void ShowScriptError(int line_number, const char* title, const char* message);

}  // namespace platform

#endif
