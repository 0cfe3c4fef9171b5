#include "platform/file_attributes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstdio>

namespace platform {

bool applyOwnershipAndMode(int fd, const struct stat& from) {
    struct stat now {};
    const bool seen = ::fstat(fd, &now) == 0;
    if ((!seen || now.st_uid != from.st_uid || now.st_gid != from.st_gid) && ::fchown(fd, from.st_uid, from.st_gid) != 0) {
        // Not the owner or not privileged: keep at least the group where we belong to it.
        (void)::fchown(fd, static_cast<uid_t>(-1), from.st_gid);
    }
    // After a chown the set-id bits may have been cleared, so the mode comes last, as it shows then.
    if (::fstat(fd, &now) == 0 && (now.st_mode & 07777) == (from.st_mode & 07777)) return true;
    return ::fchmod(fd, from.st_mode & 07777) == 0;
}

mode_t currentUmask() {
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status)) found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found) return static_cast<mode_t>(mask);
    }
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string fileBehindLink(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

std::string absolutePathOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (!resolved) return path;
    std::string absolute = resolved;
    std::free(resolved);
    return absolute == "/" ? "/" + name : absolute + "/" + name;
}

bool setFileTimes(int fd, const FileTimes& times) {
    timespec both[2] = {times.access, times.modification};
    return ::futimens(fd, both) == 0;
}

bool setFileTimes(const std::string& path, const FileTimes& times) {
    timespec both[2] = {times.access, times.modification};
    return ::utimensat(AT_FDCWD, path.c_str(), both, 0) == 0;
}

}  // namespace platform
