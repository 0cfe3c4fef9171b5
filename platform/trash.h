#pragma once
// The user's Trash as file managers know it (the freedesktop.org layout): a Trash folder with
// files/ and info/, where a file trashed as files/NAME is described by info/NAME.trashinfo (its
// original path and the time it was trashed), so that a file manager shows it and can put it
// back. Files of the file system that holds the user's data folder go to the home Trash
// ($XDG_DATA_HOME/Trash); those of another file system to that volume's own: $topdir/.Trash/$uid
// where the volume has a sticky .Trash folder (not a link), else $topdir/.Trash-$uid.
//
// An original is kept there without ever leaving its name empty: its .trashinfo is written first
// (created exclusively, flushed, locked while the entry is being made), then the original gets a
// second name in files/ (a hard link, or where the file system has none a copy, flushed and read
// back), and only then may the new file take the photo's name. A kill leaves at most a
// .trashinfo without its file, which a later run removes (settleTrash).

#include <sys/types.h>

#include <ctime>
#include <string>

#include "platform/refusal.h"
#include "platform/source_file.h"

namespace platform {

struct TrashCan {
    std::string root;    // the Trash folder, holding files/ and info/
    std::string topdir;  // the volume's top folder for a volume's Trash; "" for the home Trash
    std::string files() const { return root + "/files"; }
    std::string info() const { return root + "/info"; }
};

// The Trash for the file at `path` (absolute), which lies on `device`. With `create` the folders
// it needs are made (mode 0700) where they are missing; without, only a Trash that exists is
// found. A refusal says why there is none.
Result<TrashCan> trashFor(const std::string& path, dev_t device, bool create);

// One file's entry in the Trash while it is being made.
class TrashEntry {
public:
    TrashEntry() = default;
    ~TrashEntry() { abandon(); }
    TrashEntry(const TrashEntry&) = delete;
    TrashEntry& operator=(const TrashEntry&) = delete;

    // Puts the open file `original`, found at the absolute path `photo`, into `trash` as described
    // above, under the photo's name or, where an entry of that name exists, "NAME.2.jpg" and so
    // on. false and *error on failure; then nothing is left in the Trash.
    bool place(const TrashCan& trash, const SourceFile& original, const std::string& photo, std::string* error);
    // Takes the entry out again, its file first: the photo was not replaced.
    void abandon();
    // Leaves the entry in the Trash: the photo was replaced and the Trash holds its original.
    void keep();
    const std::string& file() const { return file_; }
    const std::string& info() const { return info_; }

private:
    void release();

    std::string file_, info_;
    int infoFd_ = -1;  // the .trashinfo, locked until the entry is complete
};

// The .trashinfo that describes the trashed file at `file` (".../files/NAME").
std::string trashInfoOf(const std::string& file);

// Takes a file out of the Trash for good: its file first, then its .trashinfo. true when neither
// is left.
bool removeTrashEntry(const std::string& file);

// What a .trashinfo holds: "[Trash Info]", "Path=" the path (absolute for the home Trash, relative
// to the top folder for a volume's) in URI path encoding, "DeletionDate=" the local time.
std::string trashInfoText(const TrashCan& trash, const std::string& photo, std::time_t when);

// Removes from `trash` what killed runs left: a .trashinfo without its file (older than `before`
// and held by no live run), and a copy that was still being made. Returns the number removed.
int settleTrash(const TrashCan& trash, const timespec& before);

}  // namespace platform
