#pragma once
// A new file written beside the file it is meant to replace, so that the replaced file is
// never seen half-written: the content goes to a private temporary file in the same folder,
// which is flushed to disk and then renamed over the target in one step.
//
// The file is held under an advisory lock (flock) from its creation until it is closed, so that
// a run cleaning up after killed runs can tell it from a stray. Where the system allows it, it
// is created without a name (O_TMPFILE) and named only when it is put in place, so that a kill
// while it is written leaves nothing behind.

#include <cstdio>
#include <string>

#include "platform/pending_name.h"

namespace platform {

class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile();  // discards an uncommitted file
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file (mode 0600, locked) in the target's folder. false and *error on failure.
    bool open(const std::string& target, std::string* error, PendingKind kind = PendingKind::Rewrite);
    // The open stream for writing; null before open() and after commit() or discard().
    FILE* stream() const { return stream_; }
    // The file descriptor of stream(), for fchmod/fchown/futimens before the commit; -1 when closed.
    int fd() const;
    // The name the file has, or gets when it is named (see name()).
    const std::string& temporaryPath() const { return temporaryPath_; }
    const std::string& target() const { return target_; }

    // Flushes the stream and the file to disk; the file stays open and locked.
    bool sync(std::string* error);
    // Gives a file created without a name its temporary name; nothing to do for a named one.
    bool name(std::string* error);
    // Gives the file a fresh temporary name of `kind` (renamed without replacing, or named where
    // it has none yet): a backup copy becomes a backup in waiting only once it is complete.
    bool rename(PendingKind kind, std::string* error);
    // Moves the file to `destination` (replacing a file of that name only when `replace` is set),
    // then closes it. false and *error on failure; the file then stays open where it was.
    bool moveTo(const std::string& destination, bool replace, std::string* error);
    // sync(), then moveTo(target(), replace) and a sync of the folder. On failure the temporary
    // file is removed and the target untouched.
    bool commit(std::string* error, bool replace = true);
    // Closes the file and leaves it under its temporary name, for a later run to settle.
    void leave();
    // Closes and removes the temporary file; the target is untouched. Safe to call more than once.
    void discard();

private:
    bool fail(std::string* error, const std::string& what, const std::string& path, int code);
    std::string freshName() const;  // a new name of kind_ beside the target

    FILE* stream_ = nullptr;
    bool named_ = false;
    PendingKind kind_ = PendingKind::Rewrite;
    std::string temporaryPath_;
    std::string target_;
};

// The folder part of a path ("." for a bare name) and the last component.
std::string folderOf(const std::string& path);
std::string baseNameOf(const std::string& path);

// fsync of a folder, so that a rename in it survives a crash. true on success.
bool syncFolder(const std::string& folder);

// Renames `from` to `to` only when no file of that name exists (else false with errno EEXIST);
// where the file system can neither rename that way nor link, by a check and a rename under the
// folder's lock (see pending_file.cpp for why that is safe).
bool renameWithoutReplacing(const std::string& from, const std::string& to);

// Gives the open file `fd` the name `path` (a hard link); false with errno when impossible.
bool linkOpenFile(int fd, const std::string& path);

}  // namespace platform
