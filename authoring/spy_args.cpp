// Reading the spy's command line.
#include "authoring/spy_args.h"

#include "script/tool_options.h"

namespace authoring {

namespace {

enum { kAt, kLinesAt, kMatch, kMode, kHidden, kOut, kPos, kPointer, kHelp };

const script::OptionSpec kSpecs[] = {
    {"--at", true, kAt},     {"--lines-at", true, kLinesAt}, {"--match", true, kMatch},
    {"--mode", true, kMode}, {"--hidden", false, kHidden},   {"--out", true, kOut},
    {"--pos", true, kPos},   {"--pointer", true, kPointer},  {"--help", false, kHelp},
    {"-h", false, kHelp},
};
const size_t kSpecCount = sizeof(kSpecs) / sizeof(kSpecs[0]);

// Reads an optional minus and one to six digits from text at *pos.
bool ReadNumber(const std::string& text, size_t* pos, int* value) {
  bool negative = false;
  if (*pos < text.size() && text[*pos] == '-') {
    negative = true;
    ++*pos;
  }
  size_t start = *pos;
  int n = 0;
  while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9' && *pos - start < 6) {
    n = n * 10 + (text[*pos] - '0');
    ++*pos;
  }
  if (*pos == start) return false;
  *value = negative ? -n : n;
  return true;
}

}  // namespace

bool ParsePoint(const std::string& text, int* x, int* y) {
  size_t pos = 0;
  if (!ReadNumber(text, &pos, x)) return false;
  if (pos >= text.size() || text[pos] != ',') return false;
  ++pos;
  if (!ReadNumber(text, &pos, y)) return false;
  return pos == text.size();
}

bool ParseSpyArgs(int argc, const char* const* argv, SpyArgs* a, std::string* error) {
  a->action = kSpyLive;
  a->x = a->y = 0;
  a->title.clear();
  a->text.clear();
  a->mode = 1;
  a->hidden = false;
  a->out.clear();
  a->has_pos = a->has_pointer = false;
  a->pos_x = a->pos_y = a->pointer_x = a->pointer_y = 0;
  a->help = false;
  bool has_text = false;
  int next = 0;
  bool ended = false;
  script::OptionWord w;
  while (script::ReadOption(argc, argv, &next, kSpecs, kSpecCount, &ended, &w)) {
    if (w.kind == script::kOptionPlain) {
      // A second word after --match TITLE is the text.
      if (a->action != kSpyMatch || has_text) {
        *error = "unexpected argument " + w.value;
        return false;
      }
      a->text = w.value;
      has_text = true;
      continue;
    }
    if (w.kind != script::kOptionKnown) {
      *error = script::OptionProblem(w, kSpecs, kSpecCount);
      return false;
    }
    const std::string& value = w.value;
    switch (w.id) {
      case kHidden: a->hidden = true; break;
      case kHelp: a->help = true; break;
      case kAt:
      case kLinesAt:
      case kMatch:
        if (a->action != kSpyLive) {
          *error = "give one of --at, --lines-at and --match";
          return false;
        }
        if (w.id == kMatch) {
          a->action = kSpyMatch;
          a->title = value;
          break;
        }
        a->action = w.id == kAt ? kSpyAt : kSpyLinesAt;
        if (!ParsePoint(value, &a->x, &a->y)) {
          *error = w.name + " wants X,Y, not " + value;
          return false;
        }
        break;
      case kMode:
        if (value != "1" && value != "2") {
          *error = "--mode is 1 (title starts with) or 2 (title contains), not " + value;
          return false;
        }
        a->mode = value[0] - '0';
        break;
      case kOut: a->out = value; break;
      case kPos:
      case kPointer: {
        bool pos = w.id == kPos;
        bool ok = pos ? ParsePoint(value, &a->pos_x, &a->pos_y)
                      : ParsePoint(value, &a->pointer_x, &a->pointer_y);
        (pos ? a->has_pos : a->has_pointer) = ok;
        if (!ok) {
          *error = w.name + " wants X,Y, not " + value;
          return false;
        }
        break;
      }
    }
  }
  return true;
}

}  // namespace authoring
