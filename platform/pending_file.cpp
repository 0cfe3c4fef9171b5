#include "platform/pending_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace platform {
namespace {

constexpr int kNameAttempts = 16;

std::string describe(const std::string& what, const std::string& path, int error) {
    return what + " '" + path + "': " + std::strerror(error);
}

// A file without a name in `folder`, locked before anyone could see it; -1 where unsupported or
// where it could not be named later (linkOpenFile needs a privilege or /proc).
int openUnnamed(const std::string& folder) {
    if (::geteuid() != 0 && ::access("/proc/self/fd", X_OK) != 0) return -1;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// True when `path` still names the open file `fd`.
bool stillNamed(const std::string& path, int fd) {
    struct stat named, open;
    return ::lstat(path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 && named.st_dev == open.st_dev &&
           named.st_ino == open.st_ino;
}

// A new file of a fresh name of `kind` beside `target`, locked right after its creation.
int openNamed(const std::string& target, PendingKind kind, std::string& path) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        path = folderOf(target) + "/" + newPendingName(baseNameOf(target), kind);
        int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        // A cleaner may take it in the moment before the lock, and may even have removed it by
        // the time the lock is ours: either way it is not ours to use.
        if (fd >= 0 && (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !stillNamed(path, fd))) {
            ::close(fd);
            continue;
        }
        return fd;
    }
    return -1;
}

// What link() says on a file system that has no hard links at all (FAT and exFAT, some shares).
bool hasNoLinks(int error) { return error == EPERM || error == ENOSYS || error == EOPNOTSUPP; }

// An exclusive flock of the open folder, waited for a few seconds at most (other runs hold it for
// a rename only); 0 or -1 with errno, as flock.
int lockFolder(int folder) {
    constexpr int kAttempts = 2000;
    const timespec pause{0, 2000000};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (::flock(folder, LOCK_EX | LOCK_NB) == 0) return 0;
        if (errno != EWOULDBLOCK && errno != EINTR) return -1;
        ::nanosleep(&pause, nullptr);
    }
    return -1;
}

// A rename without replacing where the file system offers neither that rename nor hard links:
// the check that the name is free and the rename become one step, for this program, under an
// exclusive flock of the folder. That is safe because no other run of this program can take the
// name in between: each of them renames without replacing through here, under the same lock.
// Runs turning the same photo exclude each other anyway by their flock on it (on the original,
// then on the new file until its backup is complete); the folder's lock is what keeps a later run
// settling a killed run's backup in waiting, which holds no lock on the photo, from replacing the
// backup that a run turning that photo has just made, or the other way round. Only another
// program creating that very name in that instant could be replaced: such a file system offers
// no means to exclude it.
bool renameUnderFolderLock(const std::string& from, const std::string& to) {
    const int folder = ::open(folderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return false;
    const int locked = lockFolder(folder);
    struct stat st;
    bool moved = false;
    if (locked == 0 && ::lstat(to.c_str(), &st) == 0) errno = EEXIST;
    else if (locked == 0 && errno == ENOENT) moved = ::rename(from.c_str(), to.c_str()) == 0;
    const int saved = errno;
    ::close(folder);  // and with it the lock
    errno = saved;
    return moved;
}

}  // namespace

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool renameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // The file system cannot rename that way: a new link fails on an existing name just the same.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    return errno != EEXIST && hasNoLinks(errno) && renameUnderFolderLock(from, to);
}

bool linkOpenFile(int fd, const std::string& path) {
    if (::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) return true;
    if (errno == EEXIST) return false;
    // Linking by descriptor needs a privilege; through /proc it needs none.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

PendingFile::~PendingFile() { discard(); }

bool PendingFile::fail(std::string* error, const std::string& what, const std::string& path, int code) {
    if (error) *error = describe(what, path, code ? code : EIO);
    return false;
}

bool PendingFile::open(const std::string& target, std::string* error, PendingKind kind) {
    discard();
    target_ = target;
    kind_ = kind;
    int fd = openUnnamed(folderOf(target));
    named_ = fd < 0;
    if (fd >= 0) temporaryPath_ = folderOf(target) + "/" + newPendingName(baseNameOf(target), kind);
    else fd = openNamed(target, kind, temporaryPath_);
    if (fd < 0) {
        temporaryPath_.clear();
        return fail(error, "can't create a temporary file beside", target, errno);
    }
    stream_ = ::fdopen(fd, "w+b");
    if (!stream_) {
        int saved = errno;
        ::close(fd);
        if (named_) ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
        return fail(error, "can't open a stream on", target, saved);
    }
    return true;
}

int PendingFile::fd() const { return stream_ ? ::fileno(stream_) : -1; }

bool PendingFile::sync(std::string* error) {
    if (!stream_) return fail(error, "no pending file for", target_, EBADF);
    if (std::fflush(stream_) != 0 || std::ferror(stream_)) return fail(error, "can't write", temporaryPath_, errno);
    if (::fsync(fd()) != 0) return fail(error, "can't write", temporaryPath_, errno);
    return true;
}

bool PendingFile::name(std::string* error) {
    if (named_) return true;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        if (linkOpenFile(fd(), temporaryPath_)) {
            named_ = true;
            return true;
        }
        if (errno != EEXIST) break;
        temporaryPath_ = freshName();
    }
    return fail(error, "can't name a temporary file beside", target_, errno);
}

std::string PendingFile::freshName() const {
    return folderOf(target_) + "/" + newPendingName(baseNameOf(target_), kind_);
}

bool PendingFile::rename(PendingKind kind, std::string* error) {
    kind_ = kind;
    if (!named_) {
        temporaryPath_ = freshName();
        return name(error);
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string next = freshName();
        if (renameWithoutReplacing(temporaryPath_, next)) {
            temporaryPath_ = next;
            return true;
        }
        if (errno != EEXIST) break;
    }
    return fail(error, "can't rename a temporary file beside", target_, errno);
}

bool PendingFile::moveTo(const std::string& destination, bool replace, std::string* error) {
    if (!stream_) return fail(error, "no pending file for", destination, EBADF);
    bool moved;
    if (!named_ && !replace) {
        moved = linkOpenFile(fd(), destination);  // a new link never replaces
    } else {
        if (!name(error)) return false;
        moved = replace ? ::rename(temporaryPath_.c_str(), destination.c_str()) == 0
                        : renameWithoutReplacing(temporaryPath_, destination);
    }
    if (!moved) return fail(error, "can't put the new file in place of", destination, errno);
    std::fclose(stream_);
    stream_ = nullptr;
    temporaryPath_.clear();
    return true;
}

bool PendingFile::commit(std::string* error, bool replace) {
    if (!sync(error) || !moveTo(target_, replace, error)) {
        discard();
        return false;
    }
    syncFolder(folderOf(target_));
    return true;
}

void PendingFile::leave() {
    named_ = false;
    discard();
}

void PendingFile::discard() {
    // Removed while still locked, so that no cleaner takes it for a stray meanwhile.
    if (named_ && !temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    if (stream_) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    temporaryPath_.clear();
    named_ = false;
}

}  // namespace platform
