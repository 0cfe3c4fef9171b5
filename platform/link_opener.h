#pragma once
// Hands a link (a web address or a mailto: link) to the desktop, which opens it in the
// program the user chose for it.

#include <string>

namespace platform {

enum class LinkResult {
    Opened,
    NoProgram,        // the desktop has no program for such links, and no browser command is set
    ProgramNotFound,  // the browser command names a program that is not installed
    NotExecutable,    // the program it names cannot be run
    DidNotStart,      // the program was found but did not start
};

struct LinkOpener {
    virtual ~LinkOpener() = default;
    // Opens `link` and says how that went.
    virtual LinkResult open(const std::string& link) = 0;
};

}  // namespace platform
