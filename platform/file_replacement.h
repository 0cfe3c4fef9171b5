#pragma once
// The one way a finished file takes the place of a photo (or of any file): written beside it
// under a locked temporary name, given the replaced file's owner, group, mode, extended
// attributes and ACLs, flushed to disk, and renamed onto it only when the file on disk is still
// exactly as it was read. Kept with a backup, the untouched file goes to NAME.bak in the same
// step, and an existing NAME.bak is never replaced: it holds the oldest original. Where the file
// system has no hard links (FAT, exFAT, some network shares), the backup is a checked copy. Kept
// in the Trash, the untouched file is put into the user's Trash (platform/trash.h) before the
// rename, the same way; with both, it is kept in both places.
//
// A kill at any moment leaves either no change or the finished replacement with its backup, and
// at most temporary files of our own naming that a later run cleans up (workflow/stray_files), or
// a Trash entry of the untouched file, or a .trashinfo without its file (settled the same way).
// After a run that ends, no temporary file is the only copy of an original.

#include <cstddef>
#include <functional>
#include <string>

#include "platform/file_attributes.h"
#include "platform/source_file.h"
#include "platform/trash.h"

namespace platform {

inline constexpr const char* kBackupSuffix = ".bak";

// The new file complete on disk, just before it takes the target's name, and where the untouched
// file is kept from then on.
struct PreparedReplacement {
    struct stat newFile {};    // as it will stand under the target's name: size, times
    std::string newBackup;     // target + ".bak" when this replacement makes it; "" otherwise
    bool earlierBackup = false;  // target + ".bak" is an earlier backup, left as it is
    std::string trashFile;     // the untouched file's entry in the Trash; "" when not kept there
};

struct Replacement {
    std::string target;  // the file to replace (a link already resolved to its file)
    // The file at `target` as the caller found it, opened before its content was read: owner,
    // group, mode, extended attributes, ACLs and identity come from it. Null when there was no
    // file of that name: then none may have appeared by the time of the rename.
    const SourceFile* original = nullptr;
    mode_t newFileMode = 0666;  // without an original: the mode, within the umask
    bool keepBackup = false;    // target + ".bak" gets the untouched original, unless it exists
    bool keepInTrash = false;   // the untouched original goes to the Trash of its file system
    bool setTimes = false;      // else the new file has the time of its writing
    FileTimes times;
    std::function<void()> beforeReplace;  // for tests: runs just before the final check and rename
    // Called once the new file is complete and the original kept where asked, before the final
    // check and the rename: what a run's journal records before the photo's name changes hands.
    std::function<void(const PreparedReplacement&)> announce;
};

enum class ReplaceStatus {
    Replaced,
    NoPermission,       // the user may not write to the file (or to its folder)
    AttributesNotKept,  // its owner, group, extended attributes or ACL could not be carried over
    BackupNameTaken,    // NAME.bak is a folder, a link, a pipe or a device: no backup can be kept
    TrashUnavailable,   // the original was to go to the Trash, and no Trash could take it
    ChangedByOther,     // it changed on disk after it was read: nothing was replaced
    WriteFailed,        // the new file could not be written or put in place
};

struct ReplaceOutcome {
    ReplaceStatus status = ReplaceStatus::WriteFailed;
    std::string detail;               // the reason in words, with the system's own where it gave one
    bool earlierBackupKept = false;   // NAME.bak was a regular file before and was left as it was
    bool replaced() const { return status == ReplaceStatus::Replaced; }
};

// Puts `bytes` in place of the target as described above. Anything but Replaced leaves the
// target, an existing backup and the folder as they were.
ReplaceOutcome replaceFile(const Replacement& replacement, const unsigned char* bytes, std::size_t size);

// Why this user may not have the file at `target`, opened as `original`, replaced: it has no
// write permission bit at all, the user may not write to it (mode bits or ACL, with the effective
// ids) or to its folder, it is immutable or append-only, or its owner or group could not be kept.
// "" when nothing stands against it; else *status (when given) is NoPermission or AttributesNotKept.
std::string writeRefusal(const std::string& target, const SourceFile& original, ReplaceStatus* status = nullptr);

// Why a backup of `target` could not be kept: its NAME.bak is a folder, a link, a pipe or a
// device ("'x.jpg.bak' is a folder, not a backup"). "" when it is absent or an earlier backup.
std::string backupNameTakenBy(const std::string& target);

}  // namespace platform
