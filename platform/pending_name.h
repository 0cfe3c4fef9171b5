#pragma once
// The names of this program's own temporary files beside a photo. A name says which photo it
// belongs to and what it holds, and ends in random characters and a check computed from the
// rest of the name, so that a user's file that merely looks similar (".album.pivora-config")
// is never taken for one of ours:
//
//     "." + photo name + ".pivora-" + kind letter + 8 random letters or digits + 4 check characters

#include <optional>
#include <string>

namespace platform {

enum class PendingKind {
    Rewrite,                  // the new content of the photo, until it is renamed onto it, or a
                              // backup copy still being made: never the only copy of anything
    WaitingBackup,            // the untouched photo, until it is renamed to photo + ".bak"
    WaitingBackupOfLongName,  // the same for a photo whose name was cut to fit: not to be found by name
};

// A fresh name of that kind for a temporary file beside the photo named `photoName` (a name,
// not a path). A waiting backup of a name too long to fit whole becomes WaitingBackupOfLongName.
std::string newPendingName(const std::string& photoName, PendingKind kind);

struct PendingName {
    PendingKind kind;
    std::string photoName;  // the photo's whole name; cut short for WaitingBackupOfLongName
};

// What a name made by newPendingName says; nothing for every other name.
std::optional<PendingName> parsePendingName(const std::string& name);

}  // namespace platform
