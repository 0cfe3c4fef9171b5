#include "platform/source_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

std::string describe(const std::string& what, int code) { return what + ": " + std::strerror(code); }

int openForReading(const std::string& path) {
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    int fd = ::open(path.c_str(), flags | O_NOATIME);
    // O_NOATIME is for the owner only; anyone else reads as usual.
    if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), flags);
    return fd;
}

}  // namespace

FileIdentity FileIdentity::of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    return sameFileAs(other) && size == other.size && sameTime(modification, other.modification) &&
           sameTime(change, other.change);
}

bool pathHasIdentity(const std::string& path, const FileIdentity& identity) {
    struct stat now;
    return ::lstat(path.c_str(), &now) == 0 && FileIdentity::of(now) == identity;
}

SourceFile::~SourceFile() { close(); }

void SourceFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

SourceFile::Status SourceFile::open(const std::string& path, std::string* error, Locking locking) {
    close();
    path_ = path;
    std::string ignored;
    std::string& why = error ? *error : ignored;
    // A device or a pipe is not even opened: opening some of them has effects of its own.
    if (::stat(path.c_str(), &status_) != 0) {
        why = describe("cannot open the file", errno);
        return Status::CannotOpen;
    }
    if (!S_ISREG(status_.st_mode)) {
        why = "not a regular file";
        return Status::NotRegular;
    }
    fd_ = openForReading(path);
    if (fd_ < 0) {
        why = describe("cannot open the file", errno);
        return Status::CannotOpen;
    }
    if (::fstat(fd_, &status_) != 0 || !S_ISREG(status_.st_mode)) {  // replaced since the look
        close();
        why = "not a regular file";
        return Status::NotRegular;
    }
    // Where the file system has no such locks, the photo is read without one.
    if (locking == Locking::ForRewrite && ::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        close();
        why = "another run of this program is working on it";
        return Status::InUse;
    }
    return Status::Ok;
}

SourceFile::Status SourceFile::readAll(std::vector<unsigned char>* bytes, std::string* error) const {
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return readUpTo(static_cast<std::size_t>(status_.st_size), true, bytes, error);
}

SourceFile::Status SourceFile::readPrefix(std::size_t size, std::vector<unsigned char>* bytes, std::string* error) const {
    // A header is a few kilobytes at the start: the kernel's read-ahead would fetch a good part
    // of the picture data as well, which a photo that needs nothing never uses.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_RANDOM);
    return readUpTo(size, false, bytes, error);
}

SourceFile::Status SourceFile::readUpTo(std::size_t size, bool whole, std::vector<unsigned char>* bytes,
                                        std::string* error) const {
    bytes->resize(size);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes->size()) {
            if (!whole) break;
            bytes->resize(done + 65536);  // it may have grown
        }
        ssize_t n = ::pread(fd_, bytes->data() + done, bytes->size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (error) *error = describe("cannot read the file", errno);
            bytes->clear();
            return Status::ReadFailed;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    bytes->resize(done);
    return Status::Ok;
}

}  // namespace platform
