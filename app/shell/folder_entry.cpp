#include "app/shell/folder_entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace shell {
namespace {

// The current directory, or an empty text when it cannot be had (it was removed, say).
std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

}  // namespace

int enterFolder(const std::string& path) {
    if (path.empty()) return 0;
    return chdir(path.c_str()) == 0 ? 0 : 2;
}

bool canEnterFolder(const std::string& path) {
    const std::string remembered = currentDirectory();
    const int result = enterFolder(path);
    if (!remembered.empty() && chdir(remembered.c_str()) != 0) {
        // The old directory is gone; staying in the tested one is all that is left.
    }
    return result == 0;
}

bool isChoosableFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string folderChooserStart(const std::string& initDir) {
    if (canEnterFolder(initDir)) return initDir;
    const std::string::size_type slash = initDir.rfind('/');
    return slash == std::string::npos ? initDir : initDir.substr(0, slash);
}

std::string initDirForChosenFile(const std::string& filePath) {
    const std::string::size_type slash = filePath.rfind('/');
    return slash == std::string::npos ? std::string() : filePath.substr(0, slash + 1);
}

}  // namespace shell
