#pragma once
// What a rewritten file keeps of the file it replaces: permission bits, owner and group,
// and access and modification times with their full (nanosecond) precision.

#include <sys/stat.h>
#include <ctime>
#include <string>

namespace platform {

struct FileTimes {
    timespec access{};
    timespec modification{};
};

inline FileTimes timesOf(const struct stat& st) { return {st.st_atim, st.st_mtim}; }

// The process's file mode creation mask, read without changing it (other threads may create files).
mode_t currentUmask();

// Gives the open file `fd` the permission bits of `from`, and its owner and group where the
// process may set them (a refused chown is not a failure), asking the file system only for what
// differs. true when the file shows those permission bits.
bool applyOwnershipAndMode(int fd, const struct stat& from);

// The file a path stands for: the target of a symbolic link (so that the link stays and its file
// is rewritten), else the path itself.
std::string fileBehindLink(const std::string& path);

// `path` made absolute, its folders resolved (links, "." and ".."), its last name kept as it is;
// as given when its folder cannot be resolved.
std::string absolutePathOf(const std::string& path);

// Sets both times of an open file / of a path (following links). true on success.
bool setFileTimes(int fd, const FileTimes& times);
bool setFileTimes(const std::string& path, const FileTimes& times);

}  // namespace platform
