// The spy's command line:
//
//   kestro-spy [--pos X,Y] [--pointer X,Y]        the live window
//   kestro-spy --at X,Y [--mode 1|2] [--hidden] [--out FILE]
//   kestro-spy --lines-at X,Y [--hidden] [--out FILE]
//   kestro-spy --match TITLE [TEXT] [--mode 1|2] [--hidden] [--out FILE]
//
// --at reports the point as JSON, --lines-at prints the lines the copy buttons
// would copy, --match reports every window the matcher examines for TITLE and
// TEXT (taken as a command receives them, escapes already removed). --pos
// places the live window, --pointer moves the mouse pointer there at start,
// --help (or -h) prints the usage. An option's value may follow it after "="
// (--mode=2); a word after "--" is never an option (a title such as "-x").
#ifndef KESTRO_AUTHORING_SPY_ARGS_H
#define KESTRO_AUTHORING_SPY_ARGS_H

#include <string>

namespace authoring {

enum SpyAction { kSpyLive, kSpyAt, kSpyLinesAt, kSpyMatch };

struct SpyArgs {
  SpyAction action;
  int x, y;                 // --at, --lines-at
  std::string title, text;  // --match
  int mode;                 // 1 starts with (default), 2 contains
  bool hidden;              // --hidden: DetectHiddenText On
  std::string out;          // --out: the report's file (default: standard output)
  bool has_pos;             // --pos given
  int pos_x, pos_y;
  bool has_pointer;  // --pointer given
  int pointer_x, pointer_y;
  bool help;  // --help or -h: print the usage and end
};

// Reads "X,Y" (each an optional minus and digits); false on anything else.
bool ParsePoint(const std::string& text, int* x, int* y);

// Reads the arguments after the program name; false with *error set on a bad
// command line.
bool ParseSpyArgs(int argc, const char* const* argv, SpyArgs* args, std::string* error);

}  // namespace authoring

#endif
