#include "app/shell/link_error_text.h"

namespace shell {
namespace {

using platform::LinkResult;

const char* reasonFor(LinkResult result, bool mail) {
    switch (result) {
    case LinkResult::NoProgram:
        return mail ? "No program for e-mail is set up on this desktop." : "No program for web pages is set up on this desktop.";
    case LinkResult::ProgramNotFound: return "The browser named by the BROWSER variable is not installed.";
    case LinkResult::NotExecutable: return "The browser named by the BROWSER variable cannot be run.";
    case LinkResult::DidNotStart: return "The program for the address did not start.";
    case LinkResult::Opened: break;
    }
    return "The address could not be opened.";
}

}  // namespace

std::string linkErrorMessage(LinkResult result, const std::string& link) {
    const bool mail = link.rfind("mailto:", 0) == 0;
    const std::string address = mail ? link.substr(7) : link;
    return std::string("Unable to open hyperlink:\n\n") + reasonFor(result, mail) + "\n\nThe address is " + address;
}

}  // namespace shell
