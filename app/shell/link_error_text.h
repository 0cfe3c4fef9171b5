#pragma once
// The message shown when a link of the about box cannot be opened.

#include <string>

#include "platform/link_opener.h"

namespace shell {

// "Unable to open hyperlink:", why (in this desktop's words), and the address itself, so that it
// can be copied into a program by hand.
std::string linkErrorMessage(platform::LinkResult result, const std::string& link);

}  // namespace shell
