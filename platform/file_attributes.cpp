#include "platform/file_attributes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "platform/pending_file.h"

namespace platform {

bool applyOwnershipAndMode(int fd, const struct stat& from) {
    if (::fchown(fd, from.st_uid, from.st_gid) != 0) {
        // Not the owner or not privileged: keep at least the group where we belong to it.
        (void)::fchown(fd, static_cast<uid_t>(-1), from.st_gid);
    }
    // After a chown the set-id bits may have been cleared, so the mode comes last.
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

bool applyAttributesOfReplaced(int fd, const std::string& target, mode_t newFileMode) {
    struct stat replaced;
    if (::stat(target.c_str(), &replaced) == 0) return applyOwnershipAndMode(fd, replaced);
    return ::fchmod(fd, newFileMode & ~currentUmask()) == 0;
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

bool setFileTimes(int fd, const FileTimes& times) {
    timespec both[2] = {times.access, times.modification};
    return ::futimens(fd, both) == 0;
}

bool setFileTimes(const std::string& path, const FileTimes& times) {
    timespec both[2] = {times.access, times.modification};
    return ::utimensat(AT_FDCWD, path.c_str(), both, 0) == 0;
}

namespace {

bool linkIntoPlace(const std::string& original, const std::string& backupPath) {
    // Link under a private name first, so an older backup is replaced by one rename.
    PendingFile reserve;
    if (!reserve.open(backupPath, nullptr)) return false;
    std::string temporary = reserve.temporaryPath();
    reserve.discard();
    if (::link(original.c_str(), temporary.c_str()) != 0) return false;
    bool renamed = ::rename(temporary.c_str(), backupPath.c_str()) == 0;
    // When the backup already is a link to the same file, rename succeeds without removing
    // the temporary name; it must not stay behind either way.
    ::unlink(temporary.c_str());
    if (!renamed) return false;
    syncFolder(folderOf(backupPath));
    return true;
}

bool copyIntoPlace(const std::string& original, const std::string& backupPath, std::string* error) {
    int in = ::open(original.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (in < 0 || ::fstat(in, &st) != 0) {
        if (error) *error = "can't read '" + original + "': " + std::strerror(errno);
        if (in >= 0) ::close(in);
        return false;
    }
    PendingFile copy;
    if (!copy.open(backupPath, error)) {
        ::close(in);
        return false;
    }
    char buffer[1 << 16];
    ssize_t n;
    bool ok = true;
    while ((n = ::read(in, buffer, sizeof buffer)) > 0)
        if (std::fwrite(buffer, 1, static_cast<size_t>(n), copy.stream()) != static_cast<size_t>(n)) { ok = false; break; }
    if (n < 0) ok = false;
    ::close(in);
    if (!ok) {
        if (error) *error = "can't copy '" + original + "' to '" + backupPath + "'";
        return false;
    }
    std::fflush(copy.stream());
    applyOwnershipAndMode(copy.fd(), st);
    setFileTimes(copy.fd(), timesOf(st));
    return copy.commit(error);
}

}  // namespace

bool placeBackup(const std::string& original, const std::string& backupPath, std::string* error, bool* created) {
    struct stat st;
    if (created) *created = ::lstat(backupPath.c_str(), &st) != 0;
    return linkIntoPlace(original, backupPath) || copyIntoPlace(original, backupPath, error);
}

}  // namespace platform
