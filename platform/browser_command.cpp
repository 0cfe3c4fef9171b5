#include "platform/browser_command.h"

namespace platform {

std::vector<std::string> browserCommands(const std::string& browserVariable) {
    std::vector<std::string> commands;
    std::string::size_type start = 0;
    while (start <= browserVariable.size()) {
        std::string::size_type end = browserVariable.find(':', start);
        if (end == std::string::npos) end = browserVariable.size();
        std::string entry = browserVariable.substr(start, end - start);
        if (entry.find_first_not_of(' ') != std::string::npos) commands.push_back(entry);
        start = end + 1;
    }
    return commands;
}

std::string browserCommandPrefix(const std::string& command) {
    std::string prefix = command;
    for (const char* placeholder : {"\"%1\"", "%1", "\"%s\"", "%s"}) {
        std::string::size_type at = prefix.find(placeholder);
        if (at != std::string::npos) {
            prefix.erase(at);
            break;
        }
    }
    std::string::size_type last = prefix.find_last_not_of(' ');
    prefix.erase(last == std::string::npos ? 0 : last + 1);
    return prefix;
}

}  // namespace platform
