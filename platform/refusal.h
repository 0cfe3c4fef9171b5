#pragma once
// The core's one result convention: an operation gives its value, or a refusal that says why in a
// reason (one table of reasons, worded the same way by every front end) and the detail behind it
// (the library's, the system's or the reader's own words).

#include <optional>
#include <string>
#include <utility>

enum class RefusalReason {
    None,
    NotRegularFile,      // a folder, pipe or device: never opened
    CannotRead,          // the file could not be opened or read
    InUse,               // another run of this program is turning it right now
    NotJpeg,             // it does not start as a JPEG file
    UnreadableMetadata,  // its segments or its Exif block could not be read, or lie beyond a bound
    DamagedData,         // libjpeg found corrupt picture data, or the data is implausible
    Unsupported,         // a JPEG process or size this program cannot turn exactly
    FurtherPicture,      // a picture listed inside the file (multi-picture index) cannot be turned
    NotEnoughMemory,     // its coefficients need more memory than this machine allows
    NoPermission,        // the user may not write to the photo
    AttributesNotKept,   // its owner, group, extended attributes or ACL could not be carried over
    ChangedByOther,      // it changed on disk while it was being turned
    WriteFailed,         // the turned file could not be written or put in place
    BackupNameTaken,     // NAME.bak is a folder, a link or anything else but an earlier backup
    OutputExists,        // a file of the output's name exists, and replacing it was not asked for
    SeveralNames,        // hard links: turning it under one name would leave the others unturned
    PathTooLong,         // its path is longer than the system takes: it cannot be opened by it
    EdgeStripDropped,    // the turn would drop an edge strip, and photos that would were to be refused
    TrashUnavailable,    // keeping originals in the Trash was asked for, and its file system has none to be had
    ChangedSinceRun,     // an undo: the photo is no longer the file the run left
    CannotBeUndone,      // an undo: the turn dropped an edge strip, and the original was not kept
    ChangedSinceShown,   // it changed on disk after the review showed it: it is shown again first
};

// The reason in plain words, for result lines and messages ("damaged picture data").
std::string reasonText(RefusalReason reason);

struct Refusal {
    RefusalReason reason = RefusalReason::None;
    std::string detail;  // may be empty

    // The reason with the detail behind it: "damaged picture data (Corrupt JPEG data: ...)".
    std::string text() const;
};

inline Refusal refuse(RefusalReason reason, std::string detail = {}) { return {reason, std::move(detail)}; }

// A value, or the refusal that stands in its place.
template <typename T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}  // NOLINT: a value is a successful result
    Result(Refusal refusal) : refusal_(std::move(refusal)) {}  // NOLINT: so is a refusal, of the other kind

    bool ok() const { return value_.has_value(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const Refusal& refusal() const { return refusal_; }

private:
    std::optional<T> value_;
    Refusal refusal_;
};

// An operation that gives nothing but success or a refusal.
template <>
class Result<void> {
public:
    Result() = default;
    Result(Refusal refusal) : refused_(true), refusal_(std::move(refusal)) {}  // NOLINT

    bool ok() const { return !refused_; }
    const Refusal& refusal() const { return refusal_; }

private:
    bool refused_ = false;
    Refusal refusal_;
};
