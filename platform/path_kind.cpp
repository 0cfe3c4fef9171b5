#include "platform/path_kind.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform {

int classifyPath(const std::string& path) {
    struct stat st;
    if (path.empty()) return 0;
    if (::stat(path.c_str(), &st) != 0) return (errno == ENOENT || errno == ENOTDIR) ? 0 : -1;
    if (S_ISREG(st.st_mode)) return 1;
    if (S_ISDIR(st.st_mode)) return 2;
    return -1;
}

}  // namespace platform
