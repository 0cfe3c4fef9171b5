#pragma once
// The backup of a photo that is about to be replaced, made before the replacement under a
// temporary name of our own and renamed to NAME.bak only after it. A kill in between leaves a
// "backup in waiting", which a later run removes while it still is the photo itself and completes
// into NAME.bak once the photo has been replaced (workflow/stray_files).

#include <string>

#include "platform/pending_file.h"
#include "platform/source_file.h"

namespace platform {

class WaitingBackup {
public:
    WaitingBackup() = default;
    ~WaitingBackup() { abandon(); }
    WaitingBackup(const WaitingBackup&) = delete;
    WaitingBackup& operator=(const WaitingBackup&) = delete;

    // Puts the untouched file, open as `original`, beside `photo` under a waiting name: a second
    // name of that very file where the file system allows hard links, else a copy with its times
    // and attributes, flushed to disk and read back to check it holds the original byte for byte.
    // false and *error on failure, and then nothing was placed.
    bool place(const SourceFile& original, const std::string& photo, std::string* error);
    // Renames it to photo + ".bak" unless a file of that name exists: false (errno EEXIST) and
    // the waiting name stays then.
    bool complete(std::string* error);
    // Puts it back under the photo's name, replacing what stands there: for when the backup's
    // name was taken after the photo was replaced. false and *error on failure; it waits still.
    bool restore(std::string* error);
    // Takes the waiting backup away again: before the replacement, nothing changed.
    void abandon();
    // Leaves it where it is: after the replacement it may be the only copy of the original.
    void leave();
    const std::string& path() const { return path_; }

private:
    bool placeCopy(const SourceFile& original, std::string* error);
    bool renameTo(const std::string& destination, bool replace, std::string* error);

    std::string photo_;
    std::string path_;  // the waiting name; empty when there is nothing to abandon
    PendingFile copy_;  // where no link could be made: the copy, held and locked until completed
};

}  // namespace platform
