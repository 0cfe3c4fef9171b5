#include "platform/waiting_backup.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/checked_copy.h"
#include "platform/file_replacement.h"

namespace platform {
namespace {

constexpr int kNameAttempts = 16;

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
    // Written under the name of a new file, which a later run removes: until it is complete and
    // checked, the copy is never the only copy of anything.
    if (!copy_.open(photo_, error, PendingKind::Rewrite)) return false;
    if (!writeCheckedCopy(original, copy_, "its backup", error)) return false;
    if (!copy_.rename(PendingKind::WaitingBackup, error)) {
        copy_.discard();
        return false;
    }
    path_ = copy_.temporaryPath();
    return true;
}

bool WaitingBackup::renameTo(const std::string& destination, bool replace, std::string* error) {
    if (copy_.stream()) {
        if (!copy_.moveTo(destination, replace, error)) return false;
    } else {
        const bool moved = replace ? ::rename(path_.c_str(), destination.c_str()) == 0
                                   : renameWithoutReplacing(path_, destination);
        if (!moved) {
            if (error) *error = "can't rename the backup to '" + destination + "': " + std::strerror(errno);
            return false;
        }
    }
    path_.clear();
    return true;
}

bool WaitingBackup::complete(std::string* error) { return renameTo(photo_ + kBackupSuffix, false, error); }

bool WaitingBackup::restore(std::string* error) { return renameTo(photo_, true, error); }

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
