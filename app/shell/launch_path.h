#pragma once
// The path given on the command line: how it is taken from the command-line text and which
// kind of target it names.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace shell {

// The longest launch path the program accepts; a longer one is refused, never cut.
inline constexpr std::size_t kMaxLaunchPath = 519;

// The command-line text after the program's name: the arguments joined with single blanks,
// so a path with blanks needs no quotes.
std::string commandLineText(const std::vector<std::string>& arguments);

// The launch path of a command-line text: with a leading double quote, the text after it
// without its last character (the closing quote); otherwise the whole text.
std::string launchPathFrom(const std::string& commandLine);

// 1 file, 2 folder, 0 not found, -1 other error; a path longer than kMaxLaunchPath gives 0.
// `classify` is the file-system query (classifyPath).
int launchKindOf(const std::string& launchPath, const std::function<int(const std::string&)>& classify);

}  // namespace shell
