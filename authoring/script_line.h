// Script lines written by the authoring tools: a field escaped so that the
// runner reads back exactly the text it was made from, and the lines the spy
// hands to the clipboard.
#ifndef KESTRO_AUTHORING_SCRIPT_LINE_H
#define KESTRO_AUTHORING_SCRIPT_LINE_H

#include <string>

namespace authoring {

// The text as a parameter: backslash, comma and percent sign get a backslash
// (so neither the splitter nor the variable expansion acts on them), line
// feed, carriage return and tab are written \n, \r and \t. The runner trims
// blanks from both ends of a field, which no escape prevents; they are left
// as they are.
std::string EscapeField(const std::string& text);

// "WinWait, TITLE, TEXT", or "WinWait, TITLE" when the text is empty.
std::string WinWaitLine(const std::string& title, const std::string& text);

// "WinActivate, TITLE".
std::string WinActivateLine(const std::string& title);

// "COMMAND, X, Y", e.g. "LeftClick, 120, 45".
std::string PointLine(const char* command, int x, int y);

}  // namespace authoring

#endif
