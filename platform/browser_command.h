#pragma once
// The browser command of the BROWSER environment variable, the fall-back for opening a link
// when the desktop cannot.

#include <string>
#include <vector>

namespace platform {

// The commands of a BROWSER value: a colon-separated list, tried in order; empty entries dropped.
std::vector<std::string> browserCommands(const std::string& browserVariable);

// `command` cut at its link placeholder, ready to have the link appended as a last argument:
// cut before "\"%1\"" if present, else before "%1", else before "\"%s\"", else before "%s";
// a command without a placeholder stays whole. Trailing blanks are dropped.
std::string browserCommandPrefix(const std::string& command);

}  // namespace platform
