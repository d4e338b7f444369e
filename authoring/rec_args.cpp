// Reading the recorder's command line.
#include "authoring/rec_args.h"

#include <stdlib.h>

#include "authoring/spy_args.h"
#include "script/tool_options.h"

namespace authoring {

const char kRecUsage[] =
    "usage: kestro-rec [--out FILE] [--seconds N] [--pause MS] [--wait S] [--skip-injected]\n"
    "                  [--pos X,Y]\n"
    "  --out FILE       where the script goes (default recording.kst)\n"
    "  --seconds N      record at once, and stop after N seconds\n"
    "  --pause MS       pauses longer than MS ms become Sleep lines (default 1000; 0: none)\n"
    "  --wait S         WinWaitActive lines wait at most S seconds (default 10; 0: no limit)\n"
    "  --skip-injected  leave out keys and clicks that programs inject\n"
    "  --pos X,Y        where the recorder's window stands\n";

namespace {

enum { kOut, kSeconds, kPause, kWait, kSkipInjected, kPos, kHelp };

const script::OptionSpec kSpecs[] = {
    {"--out", true, kOut},
    {"--seconds", true, kSeconds},
    {"--pause", true, kPause},
    {"--wait", true, kWait},
    {"--skip-injected", false, kSkipInjected},
    {"--pos", true, kPos},
    {"--help", false, kHelp},
    {"-h", false, kHelp},
};
const size_t kSpecCount = sizeof(kSpecs) / sizeof(kSpecs[0]);

// A whole number from 0 to a day in milliseconds; false on anything else.
bool ReadCount(const std::string& text, int* value) {
  char* end = 0;
  long n = strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 0 || n > 86400000L) return false;
  *value = static_cast<int>(n);
  return true;
}

}  // namespace

bool ParseRecArgs(int argc, const char* const* argv, RecArgs* a, std::string* error) {
  a->out = "recording.kst";
  a->seconds = 0;
  a->pause_ms = 1000;
  a->wait_s = 10;
  a->skip_injected = false;
  a->x = a->y = -1;
  a->help = false;
  int next = 0;
  bool ended = false;
  script::OptionWord w;
  while (script::ReadOption(argc, argv, &next, kSpecs, kSpecCount, &ended, &w)) {
    if (w.kind == script::kOptionPlain) {
      *error = "unexpected argument " + w.value;
      return false;
    }
    if (w.kind != script::kOptionKnown) {
      *error = script::OptionProblem(w, kSpecs, kSpecCount);
      return false;
    }
    switch (w.id) {
      case kOut: a->out = w.value; break;
      case kSeconds:
      case kPause:
      case kWait: {
        int* target = w.id == kSeconds ? &a->seconds : w.id == kPause ? &a->pause_ms : &a->wait_s;
        if (!ReadCount(w.value, target)) {
          *error = w.name + " takes a number of " + (w.id == kPause ? "milliseconds" : "seconds");
          return false;
        }
        break;
      }
      case kSkipInjected: a->skip_injected = true; break;
      case kPos:
        if (!ParsePoint(w.value, &a->x, &a->y)) {
          *error = "--pos takes X,Y";
          return false;
        }
        break;
      case kHelp: a->help = true; break;
    }
  }
  return true;
}

}  // namespace authoring
