#pragma once
// What the program's arguments ask for: the window, a launch with one path, the help or version
// text, or nothing sensible (a usage error).

#include <functional>
#include <string>
#include <vector>

namespace shell {

enum class StartAction { Window, Launch, Review, Help, Version, UsageError };

struct StartRequest {
    StartAction action = StartAction::Window;
    std::string path;     // Launch: the launch path; Review: the folder, empty when the chooser is to ask
    std::string problem;  // UsageError: what was wrong, in a few words
};

// "--help" or "-h" and "--version" win wherever they stand before "--", which ends the options;
// any other word starting with "-" is an unknown option. One path is taken by the quote rule of
// launchPathFrom (an empty result opens the window). Several words are one path only when, joined
// with blanks, they name an existing file or folder (an unquoted path with blanks); otherwise
// they are a usage error. "--review" asks for the review window of the path (a folder), or of the
// folder the chooser asks for when there is none. `classify` is classifyPath.
StartRequest parseStartArguments(const std::vector<std::string>& arguments,
                                 const std::function<int(const std::string&)>& classify);

// "Usage: pivora [PATH]", "pivora --review [FOLDER]" and a pointer to --help, for standard error and the usage message box.
std::string usageText(const std::string& problem);
// What --help prints.
std::string helpText();
// What --version prints: "pivora VERSION", the copyright line and the licence.
std::string versionText(const std::string& version);

}  // namespace shell
