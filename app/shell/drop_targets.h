#pragma once
// Which of the paths dropped onto the window a run takes.

#include <functional>
#include <string>
#include <vector>

namespace shell {

// The folders among `paths`, and the files whose names a folder run takes (hasJpegName), in
// the order given; anything else is left out. `classify` is classifyPath.
std::vector<std::string> dropTargets(const std::vector<std::string>& paths,
                                     const std::function<int(const std::string&)>& classify);

}  // namespace shell
