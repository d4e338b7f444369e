// Finds the command keyword nearest to a misspelt one by edit distance.
#include "checker/suggest.h"

#include <ctype.h>

#include <vector>

#include "script/commands.h"

namespace checker {

namespace {

// Levenshtein distance, letter case aside.
size_t Distance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      bool same = toupper(static_cast<unsigned char>(a[i - 1])) ==
                  toupper(static_cast<unsigned char>(b[j - 1]));
      size_t best = diagonal + (same ? 0 : 1);
      if (row[j - 1] + 1 < best) best = row[j - 1] + 1;
      if (above + 1 < best) best = above + 1;
      row[j] = best;
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string NearestKeyword(const std::string& word) {
  // Close enough: at most a third of the word's letters wrong, and at least one right.
  size_t allowed = word.size() / 3 > 0 ? word.size() / 3 : 1;
  std::string best;
  size_t best_distance = 0;
  for (int i = 0; i < script::CMD_COUNT; ++i) {
    std::string keyword = script::CommandKeyword(i);
    // The distance is at least the difference in length: a keyword that far
    // off cannot be suggested, and is not worth the full comparison.
    size_t gap = word.size() > keyword.size() ? word.size() - keyword.size()
                                              : keyword.size() - word.size();
    if (gap > allowed) continue;
    size_t d = Distance(word, keyword);
    if (best.empty() || d < best_distance) {
      best = keyword;
      best_distance = d;
    }
  }
  return !best.empty() && best_distance <= allowed && best_distance < word.size() ? best
                                                                                 : std::string();
}

}  // namespace checker
