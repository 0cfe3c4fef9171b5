#pragma once
// A new file written beside the file it is meant to replace, so that the replaced file is
// never seen half-written: the content goes to a private temporary file in the same folder,
// which is flushed to disk and then renamed over the target in one step.

#include <cstdio>
#include <string>

namespace platform {

// The naming pattern of the temporary files: "." + target name + kPendingMarker + six random characters.
inline constexpr const char* kPendingMarker = ".pivora-";

class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile();  // discards an uncommitted file
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file (mode 0600, exclusive) in the target's folder. false and *error on failure.
    bool open(const std::string& target, std::string* error);
    // The open stream for writing; null before open() and after commit() or discard().
    FILE* stream() const { return stream_; }
    // The file descriptor of stream(), for fchmod/fchown/futimens before the commit; -1 when closed.
    int fd() const;
    const std::string& temporaryPath() const { return temporaryPath_; }
    const std::string& target() const { return target_; }
    // Flushes, fsyncs and closes the file, then renames it onto the target and syncs the folder.
    // false and *error when any step fails; the temporary file is then removed and the target untouched.
    bool commit(std::string* error);
    // Closes and removes the temporary file; the target is untouched. Safe to call more than once.
    void discard();

private:
    FILE* stream_ = nullptr;
    std::string temporaryPath_;
    std::string target_;
};

// The folder part of a path ("." for a bare name) and the last component.
std::string folderOf(const std::string& path);
std::string baseNameOf(const std::string& path);

// fsync of a folder, so that a rename in it survives a crash. true on success.
bool syncFolder(const std::string& folder);

}  // namespace platform
