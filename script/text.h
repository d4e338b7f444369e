// Small text routines shared by the loader, the splitter and the arguments.
#ifndef KESTRO_SCRIPT_TEXT_H
#define KESTRO_SCRIPT_TEXT_H

namespace script {

// Removes leading and trailing spaces and tabs in place; nothing else is blank.
void Trim(char* text);

// Ends the text at its first line feed, if any.
void CutAtLineFeed(char* text);

// Compares two texts without regard to ASCII letter case; true when equal.
bool EqualsNoCase(const char* a, const char* b);

// Copies at most size - 1 characters and always terminates (size > 0).
void CopyText(char* dest, const char* src, int size);

}  // namespace script

#endif
