// The command keyword nearest to a misspelt one.
#ifndef KESTRO_CHECKER_SUGGEST_H
#define KESTRO_CHECKER_SUGGEST_H

#include <string>

namespace checker {

// The keyword of the table closest to `word` by edits (letter case aside),
// when it is close enough to be a likely misspelling, spelt as scripts write
// it ("WinWait"); "" otherwise.
std::string NearestKeyword(const std::string& word);

}  // namespace checker

#endif
