#include "platform/file_replacement.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/extended_attributes.h"
#include "platform/pending_file.h"
#include "platform/waiting_backup.h"

namespace platform {
namespace {

ReplaceOutcome failure(ReplaceStatus status, const std::string& detail) { return {status, detail, false}; }

std::string withReason(const std::string& what) { return what + ": " + std::strerror(errno ? errno : EIO); }

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The new file gets what the replaced one had, or else the mode asked for a new file.
ReplaceOutcome giveAttributes(const Replacement& replacement, int fd) {
    if (!replacement.original) {
        if (::fchmod(fd, replacement.newFileMode & 0777 & ~currentUmask()) == 0) return failure(ReplaceStatus::Replaced, "");
        return failure(ReplaceStatus::WriteFailed, withReason("can't set the mode of the new file"));
    }
    const struct stat& st = replacement.original->status();
    // The mode comes after the owner, whose change may clear the set-id bits.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0)
        return failure(ReplaceStatus::AttributesNotKept, withReason("can't give the new file the owner and group"));
    if (::fchmod(fd, st.st_mode & 07777) != 0)
        return failure(ReplaceStatus::AttributesNotKept, withReason("can't give the new file the mode"));
    std::string error;
    if (!copyExtendedAttributes(replacement.original->fd(), fd, &error))
        return failure(ReplaceStatus::AttributesNotKept, error);
    return failure(ReplaceStatus::Replaced, "");
}

// Writes, attributes, times, flushed to disk: the new file complete, still under no public name.
ReplaceOutcome prepare(const Replacement& replacement, PendingFile& pending, const unsigned char* bytes, std::size_t size) {
    std::string error;
    if (!pending.open(replacement.target, &error)) return failure(ReplaceStatus::WriteFailed, error);
    // Flushed before the times are set, which a later write would move.
    if ((size != 0 && std::fwrite(bytes, 1, size, pending.stream()) != size) || std::fflush(pending.stream()) != 0)
        return failure(ReplaceStatus::WriteFailed, withReason("can't write the new file beside '" + replacement.target + "'"));
    ReplaceOutcome given = giveAttributes(replacement, pending.fd());
    if (!given.replaced()) return given;
    if (replacement.setTimes && !setFileTimes(pending.fd(), replacement.times))
        return failure(ReplaceStatus::WriteFailed, withReason("can't set the times of the new file"));
    if (!pending.sync(&error)) return failure(ReplaceStatus::WriteFailed, error);
    return given;
}

// A new link to the original changes its change time and nothing else: that is the state to
// expect at the rename. false when anything else changed.
bool expectOwnLink(const SourceFile& original, FileIdentity& expected) {
    struct stat now;
    if (::fstat(original.fd(), &now) != 0) return false;
    FileIdentity linked = FileIdentity::of(now);
    linked.change = expected.change;
    if (linked != expected) return false;
    expected = FileIdentity::of(now);
    return true;
}

constexpr std::size_t kMaxNameLength = 255;  // NAME_MAX of the common file systems

const char* const kChanged = "the file changed on disk after it was read; nothing was replaced";

}  // namespace

ReplaceOutcome replaceFile(const Replacement& replacement, const unsigned char* bytes, std::size_t size) {
    const SourceFile* original = replacement.original;
    if (original) {
        ReplaceStatus status = ReplaceStatus::NoPermission;
        const std::string why = writeRefusal(replacement.target, *original, &status);
        if (!why.empty()) return failure(status, why);
    }
    PendingFile pending;
    ReplaceOutcome outcome = prepare(replacement, pending, bytes, size);
    if (!outcome.replaced()) return outcome;

    FileIdentity expected = original ? original->identity() : FileIdentity{};
    WaitingBackup backup;
    const bool newBackup = original && replacement.keepBackup && !exists(replacement.target + kBackupSuffix);
    outcome.earlierBackupKept = original && replacement.keepBackup && !newBackup;
    std::string error;
    if (newBackup && baseNameOf(replacement.target).size() + std::strlen(kBackupSuffix) > kMaxNameLength)
        return failure(ReplaceStatus::WriteFailed, "the name is too long for a backup beside it");
    if (newBackup && !backup.place(*original, replacement.target, &error))
        return failure(ReplaceStatus::WriteFailed, "can't keep a backup: " + error);
    if (newBackup && !expectOwnLink(*original, expected)) return failure(ReplaceStatus::ChangedByOther, kChanged);

    if (replacement.beforeReplace) replacement.beforeReplace();
    const bool unchanged = original ? pathHasIdentity(replacement.target, expected) : !exists(replacement.target);
    if (!unchanged) return failure(ReplaceStatus::ChangedByOther, kChanged);
    if (!pending.moveTo(replacement.target, original != nullptr, &error))
        return failure(errno == EEXIST ? ReplaceStatus::ChangedByOther : ReplaceStatus::WriteFailed, error);
    // A backup that appeared meanwhile is kept; ours then waits for a later run to settle it.
    if (newBackup && !backup.complete(&error)) {
        backup.leave();
        outcome.earlierBackupKept = true;
    }
    syncFolder(folderOf(replacement.target));
    return outcome;
}

}  // namespace platform
