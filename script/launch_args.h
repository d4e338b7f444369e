// The runner's command line: options before "/p" and the script arguments
// after it, published as the environment variables 1, 2, 3 and so on.
#ifndef KESTRO_SCRIPT_LAUNCH_ARGS_H
#define KESTRO_SCRIPT_LAUNCH_ARGS_H

namespace script {

struct Services;

const int kArgBufSize = 260;  // an argument text longer than 259 characters is cut

// Options chosen on the command line before "/p".
struct LaunchOptions {
  bool unattended;             // "/unattended": errors go to a log, not a box
  char log_path[kArgBufSize];  // "/unattended:FILE"; empty means standard error
};

// Publishes the script arguments found after the first "/p" (or, with no
// "/p", the first "/P") as environment variables. For a UTF-8 script (utf8,
// the command line in UTF-8) the cut at 259 bytes keeps whole characters.
void PublishScriptArgs(const Services& sys, const char* command_line, bool utf8 = false);

// Reads the options that stand before the "/p" (the whole text when none).
// A log path longer than kArgBufSize - 1 bytes is cut; in UTF-8 (utf8) before
// the character that would be split.
void ParseLaunchOptions(const char* command_line, LaunchOptions* out, bool utf8 = false);

}  // namespace script

#endif
