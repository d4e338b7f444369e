// Finds the command keyword nearest to a misspelt one by edit distance.
#include "checker/suggest.h"

#include <ctype.h>
#include <string.h>

#include <vector>

#include "script/commands.h"

namespace checker {

namespace {

// Levenshtein distance between two upper-case words, or limit + 1 when it is
// larger than limit. Only cells within limit of the diagonal can hold a
// distance that small (those right of the band keep their first value, limit
// + 1), and once a whole row exceeds limit every later one does.
size_t BoundedDistance(const std::string& a, const char* b, size_t b_size, size_t limit,
                       std::vector<size_t>& row) {
  const size_t over = limit + 1;
  size_t gap = a.size() > b_size ? a.size() - b_size : b_size - a.size();
  if (gap > limit) return over;
  row.assign(b_size + 1, over);
  for (size_t j = 0; j <= b_size && j <= limit; ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t from = i > limit ? i - limit : 1;
    size_t to = i + limit < b_size ? i + limit : b_size;
    size_t diagonal = row[from - 1];
    row[from - 1] = from == 1 && i <= limit ? i : over;
    size_t row_min = row[from - 1];
    for (size_t j = from; j <= to; ++j) {
      size_t above = row[j];
      size_t best = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
      if (row[j - 1] + 1 < best) best = row[j - 1] + 1;
      if (above + 1 < best) best = above + 1;
      if (best > over) best = over;
      row[j] = best;
      diagonal = above;
      if (best < row_min) row_min = best;
    }
    if (row_min > limit) return over;
  }
  return row[b_size] < over ? row[b_size] : over;
}

}  // namespace

std::string NearestKeyword(const std::string& word) {
  // Close enough: at most a third of the word's letters wrong, and at least one right.
  size_t allowed = word.size() / 3 > 0 ? word.size() / 3 : 1;
  if (allowed >= word.size()) allowed = word.size() - (word.empty() ? 0 : 1);
  std::string upper_word;  // the keywords are upper case already
  std::vector<size_t> row;
  int best = -1;
  size_t best_distance = 0;
  for (int i = 0; i < script::CMD_COUNT; ++i) {
    const char* keyword = script::CommandKeyword(i);
    size_t length = strlen(keyword);
    // The distance is at least the difference in length: a keyword that far
    // off cannot be suggested, and is not worth the comparison.
    size_t gap = word.size() > length ? word.size() - length : length - word.size();
    if (gap > allowed) continue;
    // A later keyword replaces the best only when strictly nearer.
    if (best >= 0 && best_distance == 0) break;
    size_t limit = best >= 0 ? best_distance - 1 : allowed;
    if (upper_word.empty()) {
      upper_word = word;
      for (size_t c = 0; c < upper_word.size(); ++c)
        upper_word[c] = static_cast<char>(toupper(static_cast<unsigned char>(upper_word[c])));
    }
    size_t d = BoundedDistance(upper_word, keyword, length, limit, row);
    if (d <= limit) {
      best = i;
      best_distance = d;
    }
  }
  return best >= 0 ? std::string(script::CommandSpelling(best)) : std::string();
}

}  // namespace checker
