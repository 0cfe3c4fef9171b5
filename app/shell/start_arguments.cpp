#include "app/shell/start_arguments.h"

#include "app/shell/launch_path.h"
#include "workflow/program_notice.h"

namespace shell {
namespace {

StartRequest usageError(std::string problem) { return {StartAction::UsageError, {}, std::move(problem)}; }

bool isFileOrFolder(int kind) { return kind == 1 || kind == 2; }

}  // namespace

StartRequest parseStartArguments(const std::vector<std::string>& arguments,
                                 const std::function<int(const std::string&)>& classify) {
    std::vector<std::string> words;
    std::string unknownOption;
    bool optionsEnded = false, review = false;
    for (const std::string& argument : arguments) {
        const bool option = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!option) {
            words.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            return {StartAction::Help, {}, {}};
        } else if (argument == "--version") {
            return {StartAction::Version, {}, {}};
        } else if (argument == "--review") {
            review = true;
        } else if (unknownOption.empty()) {
            unknownOption = argument;
        }
    }
    if (!unknownOption.empty()) return usageError("unknown option '" + unknownOption + "'");
    const std::string path = launchPathFrom(commandLineText(words));
    if (words.size() > 1 && !isFileOrFolder(launchKindOf(path, classify))) return usageError("more than one path");
    if (review) return {StartAction::Review, path, {}};
    if (path.empty()) return {};
    return {StartAction::Launch, path, {}};
}

std::string usageText(const std::string& problem) {
    return "pivora: " + problem +
           "\n"
           "Usage: pivora [PATH]\n"
           "       pivora --review [FOLDER]\n"
           "Try 'pivora --help' for more.\n";
}

std::string helpText() {
    return "Usage: pivora [PATH]\n"
           "       pivora --review [FOLDER]\n"
           "Turns JPEG photos a quarter turn counter-clockwise, without loss.\n"
           "\n"
           "Without PATH the window opens. With PATH, the file is turned, or every JPEG file in\n"
           "the folder, with the switches as the window last stored them; the result is shown\n"
           "and pivora ends without opening its window.\n"
           "\n"
           "      --review   show the photos of FOLDER (without it, of the folder chosen) as they\n"
           "                 are to be turned, let them be picked and their turns changed, and\n"
           "                 turn them only when asked; pivora ends when that window is closed\n"
           "  -h, --help     print this text and exit\n"
           "      --version  print the version, the copyright and the licence, and exit\n"
           "      --         end the options: a PATH after it may start with '-'\n"
           "\n"
           "Exit status: 0 when every file was turned, 1 when a file could not be turned or\n"
           "PATH is neither file nor folder, 2 for a usage error or when no display is there.\n"
           "In a terminal, pivora-cli does the same work.\n";
}

std::string versionText(const std::string& version) { return "pivora " + version + "\n" + versionNotice(); }

}  // namespace shell
