#pragma once
// What became of one photo: turned, already upright, refused for a reason, or abandoned by a
// cancel. The reasons are values, so that every front end words them the same way.

#include <string>

#include "transform/transform_setup.h"

enum class FileOutcome {
    Rotated,         // the turned photo stands in its place (in a dry run: it would)
    AlreadyUpright,  // turning by the orientation tag asked for nothing; the file was not touched
    Refused,         // the photo is untouched; `reason` says why
    Cancelled,       // the run was cancelled while this photo was in hand; it is untouched
};

enum class RefusalReason {
    None,
    NotRegularFile,      // a folder, pipe or device: never opened
    CannotRead,          // the file could not be opened or read
    InUse,               // another run of this program is turning it right now
    NotJpeg,             // it does not start as a JPEG file
    UnreadableMetadata,  // its segments or its Exif block could not be read
    DamagedData,         // libjpeg found corrupt picture data, or the data is implausible
    Unsupported,         // a JPEG process or size this program cannot turn exactly
    FurtherPicture,      // a picture listed inside the file (multi-picture index) cannot be turned
    NotEnoughMemory,     // its coefficients need more memory than this machine allows
    NoPermission,        // the user may not write to the photo
    AttributesNotKept,   // its owner, group, extended attributes or ACL could not be carried over
    BackupNameTaken,     // its NAME.bak is a folder, a link, a pipe or a device, so no backup can be kept
    ChangedByOther,      // it changed on disk while it was being turned
    WriteFailed,         // the turned file could not be written or put in place
};

struct RotateResult {
    FileOutcome outcome = FileOutcome::Refused;
    RefusalReason reason = RefusalReason::None;
    std::string detail;               // the library's or the system's own words; may be empty
    TransformKind turn = TransformKind::None;  // the turn made (or that a dry run would make)
    std::string thumbnailNotTurned;   // non-empty: the photo has a thumbnail that stays as it was, and why
    bool earlierBackupKept = false;   // an existing ".bak" was left as it was instead of a new one

    bool rotated() const { return outcome == FileOutcome::Rotated; }
};

// The reason in plain words, for result lines and messages ("damaged picture data").
std::string reasonText(RefusalReason reason);

// The reason with the detail behind it, as one text: "damaged picture data (Corrupt JPEG data: ...)".
std::string refusalText(const RotateResult& result);

// A result that refuses with `reason` and `detail`.
RotateResult refusal(RefusalReason reason, std::string detail = {});
