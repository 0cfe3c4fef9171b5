#include "app/shell/help_location.h"

#include <algorithm>

namespace shell {

std::vector<std::string> helpFileCandidates(const std::string& executablePath,
                                            const std::vector<std::string>& dataDirs) {
    const std::string::size_type slash = executablePath.rfind('/');
    std::vector<std::string> folders{slash == std::string::npos ? std::string(".") : executablePath.substr(0, slash)};
    for (const std::string& dir : dataDirs) {
        if (!dir.empty() && std::find(folders.begin(), folders.end(), dir) == folders.end()) folders.push_back(dir);
    }
    std::vector<std::string> candidates;
    for (const std::string& folder : folders) candidates.push_back(folder + "/" + kHelpFileName);
    return candidates;
}

}  // namespace shell
