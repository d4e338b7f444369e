// Reading the spy's command line.
#include "authoring/spy_args.h"

#include <string.h>

namespace authoring {

namespace {

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
  bool has_text = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    bool has_value = i + 1 < argc;
    std::string value = has_value ? argv[i + 1] : "";
    if (arg == "--hidden") {
      a->hidden = true;
      continue;
    }
    if (arg != "--at" && arg != "--lines-at" && arg != "--match" && arg != "--mode" &&
        arg != "--out" && arg != "--pos" && arg != "--pointer") {
      // A second word after --match TITLE is the text.
      if (a->action == kSpyMatch && !has_text && strncmp(arg.c_str(), "--", 2) != 0) {
        a->text = arg;
        has_text = true;
        continue;
      }
      *error = "unknown argument: " + arg;
      return false;
    }
    if (!has_value) {
      *error = arg + " needs a value";
      return false;
    }
    ++i;
    if (arg == "--at" || arg == "--lines-at") {
      if (a->action != kSpyLive) {
        *error = "give one of --at, --lines-at and --match";
        return false;
      }
      a->action = arg == "--at" ? kSpyAt : kSpyLinesAt;
      if (!ParsePoint(value, &a->x, &a->y)) {
        *error = arg + " wants X,Y, not " + value;
        return false;
      }
    } else if (arg == "--match") {
      if (a->action != kSpyLive) {
        *error = "give one of --at, --lines-at and --match";
        return false;
      }
      a->action = kSpyMatch;
      a->title = value;
    } else if (arg == "--mode") {
      if (value != "1" && value != "2") {
        *error = "--mode is 1 (title starts with) or 2 (title contains), not " + value;
        return false;
      }
      a->mode = value[0] - '0';
    } else if (arg == "--out") {
      a->out = value;
    } else if (arg == "--pos") {
      a->has_pos = ParsePoint(value, &a->pos_x, &a->pos_y);
      if (!a->has_pos) {
        *error = "--pos wants X,Y, not " + value;
        return false;
      }
    } else {
      a->has_pointer = ParsePoint(value, &a->pointer_x, &a->pointer_y);
      if (!a->has_pointer) {
        *error = "--pointer wants X,Y, not " + value;
        return false;
      }
    }
  }
  return true;
}

}  // namespace authoring
