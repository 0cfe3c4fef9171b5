#pragma once
// The message shown when a link of the about box cannot be opened.

#include <string>

namespace shell {

// "Unable to open hyperlink:\n\n" followed by the reason for the opener's result `code`.
std::string linkErrorMessage(int code);

}  // namespace shell
