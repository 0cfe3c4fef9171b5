#include "platform/checked_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/extended_attributes.h"
#include "platform/file_attributes.h"

namespace platform {
namespace {

constexpr std::size_t kChunk = 1 << 16;

// Up to `size` bytes from `at` (fewer only at the end of the file); -1 on a read error.
ssize_t readAt(int fd, char* into, std::size_t size, off_t at) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, into + got, size - got, at + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

bool copyContent(int from, FILE* to) {
    std::vector<char> buffer(kChunk);
    for (off_t at = 0;;) {
        const ssize_t n = readAt(from, buffer.data(), buffer.size(), at);
        if (n <= 0) return n == 0;
        if (std::fwrite(buffer.data(), 1, static_cast<std::size_t>(n), to) != static_cast<std::size_t>(n)) return false;
        at += n;
    }
}

// The open file `fd` opened afresh for reading: by its name where it has one, else through /proc.
int reopen(int fd, const std::string& name) {
    struct stat open, named;
    int again = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    const bool same = again >= 0 && ::fstat(fd, &open) == 0 && ::fstat(again, &named) == 0 &&
                      open.st_dev == named.st_dev && open.st_ino == named.st_ino;
    if (same) return again;
    if (again >= 0) ::close(again);
    return ::open(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_RDONLY | O_CLOEXEC);
}

// The copy read back as a new reader sees it (from the disk, where the system lets its cached
// pages go) and compared with the original: a write that the file system took but did not keep
// must not become the copy that stands for it. A fresh open, for some file systems (fusefat) show
// the writer zeros where another reader sees the bytes written.
bool readsBackAsOriginal(int original, int copy, const std::string& name) {
    const int reader = reopen(copy, name);
    if (reader < 0) return false;
    ::posix_fadvise(reader, 0, 0, POSIX_FADV_DONTNEED);
    std::vector<char> mine(kChunk), theirs(kChunk);
    bool same = false;
    for (off_t at = 0;;) {
        const ssize_t a = readAt(original, mine.data(), kChunk, at), b = readAt(reader, theirs.data(), kChunk, at);
        if (a < 0 || b < 0 || a != b || std::memcmp(mine.data(), theirs.data(), static_cast<std::size_t>(a)) != 0) break;
        if (a == 0) {
            same = true;
            break;
        }
        at += a;
    }
    ::close(reader);
    return same;
}

}  // namespace

bool writeCheckedCopy(const SourceFile& original, PendingFile& copy, const std::string& what, std::string* error) {
    if (!copyContent(original.fd(), copy.stream()) || std::fflush(copy.stream()) != 0) {
        if (error) *error = "can't copy '" + original.path() + "' for " + what + ": " + std::strerror(errno ? errno : EIO);
        copy.discard();
        return false;
    }
    // The copy stands for the original: what of its attributes can be kept is kept.
    applyOwnershipAndMode(copy.fd(), original.status());
    copyExtendedAttributes(original.fd(), copy.fd(), nullptr);
    setFileTimes(copy.fd(), timesOf(original.status()));
    if (!copy.sync(error)) {
        copy.discard();
        return false;
    }
    if (!readsBackAsOriginal(original.fd(), copy.fd(), copy.temporaryPath())) {
        if (error) *error = "the copy of '" + original.path() + "' for " + what + " does not read back as the original";
        copy.discard();
        return false;
    }
    return true;
}

}  // namespace platform
