#include "platform/waiting_backup.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/extended_attributes.h"
#include "platform/file_attributes.h"
#include "platform/file_replacement.h"

namespace platform {
namespace {

constexpr int kNameAttempts = 16;

bool copyContent(int from, FILE* to) {
    std::vector<char> buffer(1 << 16);
    off_t at = 0;
    for (;;) {
        ssize_t n = ::pread(from, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0;
        if (std::fwrite(buffer.data(), 1, static_cast<std::size_t>(n), to) != static_cast<std::size_t>(n)) return false;
        at += n;
    }
}

}  // namespace

bool WaitingBackup::place(const SourceFile& original, const std::string& photo, std::string* error) {
    abandon();
    photo_ = photo;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = folderOf(photo) + "/" + newPendingName(baseNameOf(photo), PendingKind::WaitingBackup);
        if (linkOpenFile(original.fd(), name)) {
            path_ = name;
            return true;
        }
        if (errno != EEXIST) break;
    }
    return placeCopy(original, error);
}

bool WaitingBackup::placeCopy(const SourceFile& original, std::string* error) {
    if (!copy_.open(photo_, error, PendingKind::WaitingBackup)) return false;
    const bool copied = copyContent(original.fd(), copy_.stream()) && std::fflush(copy_.stream()) == 0;
    if (!copied) {
        if (error) *error = "can't copy '" + photo_ + "' for its backup: " + std::strerror(errno ? errno : EIO);
        copy_.discard();
        return false;
    }
    // The copy stands for the original: what of its attributes can be kept is kept.
    applyOwnershipAndMode(copy_.fd(), original.status());
    copyExtendedAttributes(original.fd(), copy_.fd(), nullptr);
    setFileTimes(copy_.fd(), timesOf(original.status()));
    if (!copy_.sync(error) || !copy_.name(error)) {
        copy_.discard();
        return false;
    }
    path_ = copy_.temporaryPath();
    return true;
}

bool WaitingBackup::complete(std::string* error) {
    const std::string backup = photo_ + kBackupSuffix;
    const bool done = copy_.stream() ? copy_.moveTo(backup, false, error) : renameWithoutReplacing(path_, backup);
    if (!done) {
        if (error && !copy_.stream()) *error = "can't rename the backup to '" + backup + "': " + std::strerror(errno);
        return false;
    }
    path_.clear();
    return true;
}

void WaitingBackup::abandon() {
    if (copy_.stream()) copy_.discard();
    else if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
}

void WaitingBackup::leave() {
    if (copy_.stream()) copy_.leave();
    path_.clear();
}

}  // namespace platform
