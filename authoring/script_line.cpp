// Escaping fields for the parameter splitter and building the spy's lines.
#include "authoring/script_line.h"

#include <stdio.h>

namespace authoring {

std::string EscapeField(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    switch (c) {
      case '\\': out += "\\\\"; break;
      case ',': out += "\\,"; break;
      case '%': out += "\\%"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::string WinWaitLine(const std::string& title, const std::string& text) {
  std::string line = "WinWait, " + EscapeField(title);
  if (!text.empty()) line += ", " + EscapeField(text);
  return line;
}

std::string WinActivateLine(const std::string& title) {
  return "WinActivate, " + EscapeField(title);
}

std::string PointLine(const char* command, int x, int y) {
  char numbers[32];
  sprintf(numbers, ", %d, %d", x, y);
  return std::string(command) + numbers;
}

}  // namespace authoring
