#include "app/shell/drop_targets.h"

#include "workflow/folder_walk.h"

namespace shell {
namespace {

// A drop of a whole folder's worth of other files names this many, then says how many more.
constexpr std::size_t kLeftOutNamed = 5;

// Why a path of this kind (classifyPath) is left out; empty when a run takes it.
std::string leftOutReason(const std::string& path, int kind) {
    switch (kind) {
    case 2: return {};
    case 1: return hasJpegName(path) ? std::string() : "not a JPEG file by its name";
    case 0: return "not found";
    default: return "neither a file nor a folder";
    }
}

}  // namespace

DroppedPaths sortDropped(const std::vector<std::string>& paths, const std::function<int(const std::string&)>& classify) {
    DroppedPaths dropped;
    for (const std::string& path : paths) {
        std::string reason = leftOutReason(path, classify(path));
        if (reason.empty()) {
            dropped.targets.push_back(path);
        } else {
            dropped.leftOut.push_back({path, std::move(reason)});
        }
    }
    return dropped;
}

std::string leftOutText(const std::vector<LeftOut>& leftOut) {
    if (leftOut.empty()) return {};
    const std::size_t count = leftOut.size();
    std::string text = std::to_string(count) + (count == 1 ? " dropped item was" : " dropped items were") + " left out:";
    for (std::size_t i = 0; i < count && i < kLeftOutNamed; ++i) text += "\n" + leftOut[i].path + ": " + leftOut[i].reason;
    if (count > kLeftOutNamed) text += "\nand " + std::to_string(count - kLeftOutNamed) + " more";
    return text + "\n\n";
}

std::string nothingToTurnText(const std::string& leftOut) { return "Nothing was turned.\n\n" + leftOut; }

}  // namespace shell
