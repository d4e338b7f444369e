// Text as a JSON string literal, for the reports of the checker and the
// authoring tools and for the editor grammar the generator prints.
#ifndef KESTRO_SCRIPT_JSON_STRING_H
#define KESTRO_SCRIPT_JSON_STRING_H

#include <string>

namespace script {

// The text between double quotes: quotes and backslashes escaped, line feed,
// carriage return and tab as \n, \r and \t, other control characters as
// \u00XX. Other bytes pass unchanged, so UTF-8 text stays UTF-8.
std::string JsonString(const std::string& text);

}  // namespace script

#endif
