#pragma once
// Which of the paths dropped onto the window a run takes, and the words for those it leaves out.

#include <functional>
#include <string>
#include <vector>

namespace shell {

// A dropped path that no run takes, and why in plain words.
struct LeftOut {
    std::string path;
    std::string reason;  // "not a JPEG file by its name", "neither a file nor a folder", "not found"
};

struct DroppedPaths {
    std::vector<std::string> targets;  // what a run takes, in the order given
    std::vector<LeftOut> leftOut;      // the rest, in the order given
};

// The folders among `paths`, and the files whose names a folder run takes (hasJpegName), in
// the order given; anything else is left out with its reason. `classify` is classifyPath.
DroppedPaths sortDropped(const std::vector<std::string>& paths, const std::function<int(const std::string&)>& classify);

// Below a drop's result: "1 dropped item was left out:" and a "path: reason" line for each (the
// first few, then how many more), followed by a blank line; empty when nothing was left out.
std::string leftOutText(const std::vector<LeftOut>& leftOut);
// The message of a drop that left everything out: that nothing was turned, then `leftOut`.
std::string nothingToTurnText(const std::string& leftOut);

}  // namespace shell
