#include "app/shell/drop_targets.h"

#include "workflow/folder_walk.h"

namespace shell {

std::vector<std::string> dropTargets(const std::vector<std::string>& paths,
                                     const std::function<int(const std::string&)>& classify) {
    std::vector<std::string> targets;
    for (const std::string& path : paths) {
        const int kind = classify(path);
        if (kind == 2 || (kind == 1 && hasJpegName(path))) targets.push_back(path);
    }
    return targets;
}

}  // namespace shell
