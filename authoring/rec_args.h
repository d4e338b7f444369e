// The recorder's command line:
//
//   kestro-rec [--out FILE] [--seconds N] [--pause MS] [--wait S] [--skip-injected] [--pos X,Y]
//
// Each option with a value takes it as the next word or after "=" (--out=x.kst).
#ifndef KESTRO_AUTHORING_REC_ARGS_H
#define KESTRO_AUTHORING_REC_ARGS_H

#include <string>

namespace authoring {

// The usage text, printed by --help and after a mistake.
extern const char kRecUsage[];

struct RecArgs {
  std::string out;     // --out: the script's file
  int seconds;         // --seconds: record at once for this long; 0: until stopped
  int pause_ms;        // --pause: longer pauses become Sleep lines; 0: none
  int wait_s;          // --wait: the timeout of the WinWaitActive lines; 0: none
  bool skip_injected;  // --skip-injected: leave out injected keys and clicks
  int x, y;            // --pos: where the window stands; x < 0: the bottom-right corner
  bool help;           // --help or -h: print the usage and end
};

// Reads the arguments after the program name; false with *error set on a bad
// command line (an unknown option names the nearest known one).
bool ParseRecArgs(int argc, const char* const* argv, RecArgs* args, std::string* error);

}  // namespace authoring

#endif
