#pragma once
// A photo opened for reading once: refused before it is read when it is not a regular file,
// locked against a second run of this program that would turn it at the same time, read whole
// into memory, and able to tell afterwards whether its path still names it exactly as it was.

#include <sys/stat.h>

#include <string>
#include <vector>

namespace platform {

// What tells one state of a file from another: which file it is, and its size and times to the
// nanosecond. Any write, truncation, attribute change or replacement by another file changes it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modification{};
    timespec change{};

    static FileIdentity of(const struct stat& st);
    bool sameFileAs(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
    bool operator==(const FileIdentity& other) const;
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// True when `path` itself (a link is not followed) is the file of `identity` in that state.
bool pathHasIdentity(const std::string& path, const FileIdentity& identity);

class SourceFile {
public:
    enum class Status { Ok, NotRegular, CannotOpen, InUse, ReadFailed };
    enum class Locking { ForRewrite, None };

    SourceFile() = default;
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // Opens `path` (following a link) for reading without changing its access time where the
    // system allows: anything but a regular file is refused before it is opened, and a pipe
    // never blocks. ForRewrite takes an exclusive advisory lock, so that a second run of this
    // program turning the same photo gets InUse. *error says why when the result is not Ok.
    Status open(const std::string& path, std::string* error, Locking locking = Locking::ForRewrite);
    // The whole file from its start. ReadFailed and *error when it cannot be read.
    Status readAll(std::vector<unsigned char>* bytes, std::string* error) const;
    // At most `size` bytes from its start (fewer where the file is shorter).
    Status readPrefix(std::size_t size, std::vector<unsigned char>* bytes, std::string* error) const;

    const struct stat& status() const { return status_; }  // as it was when it was opened
    FileIdentity identity() const { return FileIdentity::of(status_); }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    void close();

private:
    Status readUpTo(std::size_t size, bool whole, std::vector<unsigned char>* bytes, std::string* error) const;

    int fd_ = -1;
    std::string path_;
    struct stat status_ {};
};

}  // namespace platform
