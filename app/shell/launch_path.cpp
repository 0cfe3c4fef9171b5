#include "app/shell/launch_path.h"

namespace shell {

std::string commandLineText(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty()) text += ' ';
        text += argument;
    }
    return text;
}

std::string launchPathFrom(const std::string& commandLine) {
    if (commandLine.empty() || commandLine.front() != '"') return commandLine;
    if (commandLine.size() == 1) return std::string();
    return commandLine.substr(1, commandLine.size() - 2);
}

int launchKindOf(const std::string& launchPath, const std::function<int(const std::string&)>& classify) {
    if (launchPath.size() > kMaxLaunchPath) return 0;
    return classify(launchPath);
}

}  // namespace shell
