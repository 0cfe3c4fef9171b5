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

ReplaceOutcome ok() { return {ReplaceStatus::Replaced, "", false}; }

// The new file gets what the replaced one had, or else the mode asked for a new file. The file
// system is asked only for what differs: one without owners or modes (FAT) shows every file
// alike and refuses every change, and a new file that already shows what the original showed
// keeps all there is to keep. Where a change is needed and refused, the photo is refused.
ReplaceOutcome giveAttributes(const Replacement& replacement, int fd) {
    struct stat now;
    if (::fstat(fd, &now) != 0) return failure(ReplaceStatus::WriteFailed, withReason("can't look at the new file"));
    const auto showsMode = [&](mode_t mode) { return (now.st_mode & 07777) == (mode & 07777); };
    if (!replacement.original) {
        const mode_t mode = replacement.newFileMode & 0777 & ~currentUmask();
        if (showsMode(mode) || ::fchmod(fd, mode) == 0) return ok();
        return failure(ReplaceStatus::WriteFailed, withReason("can't set the mode of the new file"));
    }
    const struct stat& st = replacement.original->status();
    if ((now.st_uid != st.st_uid || now.st_gid != st.st_gid) && ::fchown(fd, st.st_uid, st.st_gid) != 0)
        return failure(ReplaceStatus::AttributesNotKept, withReason("can't give the new file the owner and group"));
    // The mode comes after the owner, whose change may clear the set-id bits.
    if (::fstat(fd, &now) != 0) return failure(ReplaceStatus::WriteFailed, withReason("can't look at the new file"));
    if (!showsMode(st.st_mode) && ::fchmod(fd, st.st_mode & 07777) != 0)
        return failure(ReplaceStatus::AttributesNotKept, withReason("can't give the new file the mode"));
    std::string error;
    if (!copyExtendedAttributes(replacement.original->fd(), fd, &error))
        return failure(ReplaceStatus::AttributesNotKept, error);
    return ok();
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

std::string kindOfNonFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISSOCK(mode)) return "a socket";
    return "a device";
}

std::string notABackup(const std::string& backup, mode_t mode) {
    return "'" + backup + "' is " + kindOfNonFile(mode) + ", not a backup";
}

// What stands at NAME.bak decides: nothing, and a new backup is to be made (*makeNew); a regular
// file, an earlier backup, which is kept; anything else refuses the photo, for a folder, a link
// (dangling or not), a pipe or a device is no backup, and the photo would be turned with none.
ReplaceOutcome planBackup(const std::string& target, bool* makeNew) {
    const std::string backup = target + kBackupSuffix;
    if (baseNameOf(target).size() + std::strlen(kBackupSuffix) > kMaxNameLength)
        return failure(ReplaceStatus::WriteFailed, "the name is too long for a backup beside it");
    struct stat st;
    if (::lstat(backup.c_str(), &st) != 0) {
        if (errno != ENOENT) return failure(ReplaceStatus::WriteFailed, withReason("can't look at '" + backup + "'"));
        *makeNew = true;
        return ok();
    }
    if (!S_ISREG(st.st_mode)) return failure(ReplaceStatus::BackupNameTaken, notABackup(backup, st.st_mode));
    ReplaceOutcome kept = ok();
    kept.earlierBackupKept = true;
    return kept;
}

// Holds the new file's lock (by its open file) from the moment it took the photo's name until
// its backup is complete: a second run that opens the photo meanwhile finds it in use, as it
// would have found the original.
class HeldLock {
public:
    explicit HeldLock(int fd) : fd_(::dup(fd)) {}
    ~HeldLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool isFile(const std::string& path, int fd) {
    struct stat there, open;
    return ::lstat(path.c_str(), &there) == 0 && ::fstat(fd, &open) == 0 && there.st_dev == open.st_dev &&
           there.st_ino == open.st_ino;
}

// The backup could not take its name after the photo was replaced: a file of that name appeared
// meanwhile (made by another program, or by a run settling a killed run's backup in waiting).
// Rather than stay hidden as the only copy, the untouched file goes back under the photo's name
// and the photo is refused. Where even that cannot be, it waits under its own name and the
// detail says where.
ReplaceOutcome putBack(const std::string& target, WaitingBackup& backup, const HeldLock& newFile, int cause,
                       const std::string& why) {
    const std::string what = cause == EEXIST ? "'" + target + kBackupSuffix + "' appeared while it was being turned"
                                             : "can't complete its backup (" + why + ")";
    std::string error;
    if (isFile(target, newFile.fd()) && backup.restore(&error)) {
        syncFolder(folderOf(target));
        const ReplaceStatus status = cause == EEXIST ? ReplaceStatus::ChangedByOther : ReplaceStatus::WriteFailed;
        return failure(status, what + "; the photo was put back as it was");
    }
    ReplaceOutcome outcome = ok();
    outcome.detail = what + "; the untouched file is kept as '" + backup.path() + "'";
    backup.leave();
    return outcome;
}

// The untouched file's entry in the Trash of its file system, made before the replacement.
ReplaceOutcome placeInTrash(const SourceFile& original, const std::string& target, TrashEntry& entry) {
    const std::string photo = absolutePathOf(target);
    const Result<TrashCan> trash = trashFor(photo, original.status().st_dev, true);
    if (!trash.ok()) return failure(ReplaceStatus::TrashUnavailable, trash.refusal().detail);
    std::string error;
    if (!entry.place(trash.value(), original, photo, &error)) return failure(ReplaceStatus::TrashUnavailable, error);
    return ok();
}

}  // namespace

ReplaceOutcome replaceFile(const Replacement& replacement, const unsigned char* bytes, std::size_t size) {
    const SourceFile* original = replacement.original;
    if (original) {
        ReplaceStatus status = ReplaceStatus::NoPermission;
        const std::string why = writeRefusal(replacement.target, *original, &status);
        if (!why.empty()) return failure(status, why);
    }
    bool newBackup = false;
    ReplaceOutcome outcome = original && replacement.keepBackup ? planBackup(replacement.target, &newBackup) : ok();
    if (!outcome.replaced()) return outcome;
    PendingFile pending;
    const ReplaceOutcome prepared = prepare(replacement, pending, bytes, size);
    if (!prepared.replaced()) return prepared;

    FileIdentity expected = original ? original->identity() : FileIdentity{};
    WaitingBackup backup;
    std::string error;
    if (newBackup && !backup.place(*original, replacement.target, &error))
        return failure(ReplaceStatus::WriteFailed, "can't keep a backup: " + error);
    TrashEntry trash;
    const bool toTrash = original && replacement.keepInTrash;
    if (toTrash) {
        ReplaceOutcome placed = placeInTrash(*original, replacement.target, trash);
        if (!placed.replaced()) return placed;
    }
    if ((newBackup || toTrash) && !expectOwnLink(*original, expected))
        return failure(ReplaceStatus::ChangedByOther, kChanged);
    if (replacement.announce) {
        PreparedReplacement ready;
        if (::fstat(pending.fd(), &ready.newFile) != 0)
            return failure(ReplaceStatus::WriteFailed, withReason("can't look at the new file"));
        if (newBackup) ready.newBackup = replacement.target + kBackupSuffix;
        ready.earlierBackup = outcome.earlierBackupKept;
        ready.trashFile = trash.file();
        replacement.announce(ready);
    }

    if (replacement.beforeReplace) replacement.beforeReplace();
    const bool unchanged = original ? pathHasIdentity(replacement.target, expected) : !exists(replacement.target);
    if (!unchanged) return failure(ReplaceStatus::ChangedByOther, kChanged);
    const HeldLock newFile(pending.fd());
    if (!pending.moveTo(replacement.target, original != nullptr, &error))
        return failure(errno == EEXIST ? ReplaceStatus::ChangedByOther : ReplaceStatus::WriteFailed, error);
    if (newBackup && !backup.complete(&error)) {
        ReplaceOutcome putBackOutcome = putBack(replacement.target, backup, newFile, errno, error);
        if (putBackOutcome.replaced()) trash.keep();  // the photo stays replaced: its original is kept there too
        return putBackOutcome;
    }
    trash.keep();
    syncFolder(folderOf(replacement.target));
    return outcome;
}

std::string backupNameTakenBy(const std::string& target) {
    const std::string backup = target + kBackupSuffix;
    struct stat st;
    if (::lstat(backup.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return "";
    return notABackup(backup, st.st_mode);
}

}  // namespace platform
