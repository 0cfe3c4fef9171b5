#include "platform/pending_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// NAME_MAX is 255 on common file systems; leave room for the dot and the marker suffix.
constexpr size_t kMaxBaseInTemporaryName = 200;

std::string describe(const std::string& what, const std::string& path, int error) {
    return what + " '" + path + "': " + std::strerror(error);
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

PendingFile::~PendingFile() { discard(); }

bool PendingFile::open(const std::string& target, std::string* error) {
    discard();
    std::string base = baseNameOf(target).substr(0, kMaxBaseInTemporaryName);
    std::string pattern = folderOf(target) + "/." + base + kPendingMarker + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);  // creates with O_EXCL and mode 0600
    if (fd < 0) {
        if (error) *error = describe("can't create a temporary file beside", target, errno);
        return false;
    }
    stream_ = ::fdopen(fd, "wb");
    if (!stream_) {
        int saved = errno;
        ::close(fd);
        ::unlink(name.data());
        if (error) *error = describe("can't open a stream on", name.data(), saved);
        return false;
    }
    temporaryPath_ = name.data();
    target_ = target;
    return true;
}

int PendingFile::fd() const { return stream_ ? ::fileno(stream_) : -1; }

bool PendingFile::commit(std::string* error) {
    if (!stream_) {
        if (error) *error = "no pending file to commit";
        return false;
    }
    bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
    int saved = errno;
    if (written && ::fsync(::fileno(stream_)) != 0) { written = false; saved = errno; }
    bool closed = std::fclose(stream_) == 0;
    if (!closed && written) saved = errno;
    stream_ = nullptr;
    if (!written || !closed) {
        if (error) *error = describe("can't write", temporaryPath_, saved ? saved : EIO);
        discard();
        return false;
    }
    if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0) {
        if (error) *error = describe("can't put the new file in place of", target_, errno);
        discard();
        return false;
    }
    temporaryPath_.clear();
    syncFolder(folderOf(target_));
    return true;
}

void PendingFile::discard() {
    if (stream_) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

}  // namespace platform
