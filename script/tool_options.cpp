// Reading the tools' command-line options, and naming the nearest option for
// a word that names none.
#include "script/tool_options.h"

#include <string.h>

#include <vector>

namespace script {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerText(const std::string& text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) out[i] = Lower(out[i]);
  return out;
}

// Edits from a to b: insertions, deletions, changes and swaps of two
// neighbouring characters, each counting one (optimal string alignment).
size_t EditDistance(const std::string& a, const std::string& b) {
  size_t n = a.size(), m = b.size();
  std::vector<size_t> d((n + 1) * (m + 1));
  for (size_t i = 0; i <= n; ++i) d[i * (m + 1)] = i;
  for (size_t j = 0; j <= m; ++j) d[j] = j;
  for (size_t i = 1; i <= n; ++i) {
    for (size_t j = 1; j <= m; ++j) {
      size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      size_t best = d[(i - 1) * (m + 1) + j - 1] + cost;
      if (d[(i - 1) * (m + 1) + j] + 1 < best) best = d[(i - 1) * (m + 1) + j] + 1;
      if (d[i * (m + 1) + j - 1] + 1 < best) best = d[i * (m + 1) + j - 1] + 1;
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1] &&
          d[(i - 2) * (m + 1) + j - 2] + 1 < best)
        best = d[(i - 2) * (m + 1) + j - 2] + 1;
      d[i * (m + 1) + j] = best;
    }
  }
  return d[n * (m + 1) + m];
}

const OptionSpec* FindSpec(const std::string& name, const OptionSpec* specs, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (name == specs[i].name) return &specs[i];
  return NULL;
}

}  // namespace

bool ReadOption(int argc, const char* const* argv, int* next, const OptionSpec* specs,
                size_t count, bool* options_ended, OptionWord* out) {
  if (*next >= argc) return false;
  std::string word = argv[(*next)++];
  out->id = 0;
  out->name = word;
  out->value.clear();
  bool option_shaped = !*options_ended && word.size() > 1 && word[0] == '-';
  if (option_shaped && word == "--") {
    *options_ended = true;
    return *next < argc ? ReadOption(argc, argv, next, specs, count, options_ended, out) : false;
  }
  if (!option_shaped) {
    out->kind = kOptionPlain;
    out->value = word;
    return true;
  }
  size_t equals = word.find('=');
  bool has_equals = equals != std::string::npos;
  if (has_equals) out->name = word.substr(0, equals);
  const OptionSpec* spec = FindSpec(out->name, specs, count);
  if (spec == NULL) {
    out->kind = kOptionUnknown;
    return true;
  }
  out->id = spec->id;
  if (!spec->takes_value) {
    out->kind = has_equals ? kOptionUnwantedValue : kOptionKnown;
    return true;
  }
  if (has_equals) {
    out->kind = kOptionKnown;
    out->value = word.substr(equals + 1);
  } else if (*next < argc) {
    out->kind = kOptionKnown;
    out->value = argv[(*next)++];
  } else {
    out->kind = kOptionMissingValue;
  }
  return true;
}

const char* NearestOption(const std::string& typed, const OptionSpec* specs, size_t count) {
  std::string lower = LowerText(typed);
  const char* best = NULL;
  size_t best_distance = 3;  // more than two edits is no longer a typo
  const char* prefix_of = NULL;
  size_t prefixes = 0;
  for (size_t i = 0; i < count; ++i) {
    std::string name = LowerText(specs[i].name);
    size_t distance = EditDistance(lower, name);
    // Two edits in a short name make another word ("-x" is no typo of "-o").
    size_t first_letter = name.find_first_not_of('-');
    size_t letters = first_letter == std::string::npos ? 0 : name.size() - first_letter;
    if (distance < best_distance && distance * 2 <= letters) {
      best_distance = distance;
      best = specs[i].name;
    }
    // A start long enough to mean something: more than the dashes and a letter.
    bool starts = name.size() > lower.size() && name.compare(0, lower.size(), lower) == 0;
    if (lower.size() >= 4 && starts) {
      if (prefix_of == NULL || strcmp(prefix_of, specs[i].name) != 0) ++prefixes;
      prefix_of = specs[i].name;
    }
  }
  if (best != NULL) return best;
  return prefixes == 1 ? prefix_of : NULL;
}

std::string OptionProblem(const OptionWord& word, const OptionSpec* specs, size_t count) {
  switch (word.kind) {
    case kOptionMissingValue: return word.name + " needs a value";
    case kOptionUnwantedValue: return word.name + " takes no value";
    case kOptionUnknown: {
      std::string message = "unknown option " + word.name;
      const char* nearest = NearestOption(word.name, specs, count);
      if (nearest != NULL) message += std::string("; did you mean ") + nearest + "?";
      return message;
    }
    default: return std::string();
  }
}

}  // namespace script
