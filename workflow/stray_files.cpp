#include "workflow/stray_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "platform/pending_file.h"

namespace {

constexpr size_t kRandomPartLength = 6;

bool isBefore(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

}  // namespace

bool isPendingFileName(const std::string& name) {
    const size_t markerLength = std::strlen(platform::kPendingMarker);
    if (name.size() < 2 + markerLength + kRandomPartLength || name[0] != '.') return false;
    size_t markerAt = name.size() - kRandomPartLength - markerLength;
    if (name.compare(markerAt, markerLength, platform::kPendingMarker) != 0) return false;
    for (size_t i = name.size() - kRandomPartLength; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

timespec runStartTime() {
    // File times come from the kernel's coarse clock; a fine reading could lie ahead of the
    // stamp of a file created after it and make that file look older than the run.
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

int removeStrayPendingFiles(const std::string& folder, const timespec& runStart) {
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return 0;
    DIR* listing = ::fdopendir(folderFd);
    if (!listing) {
        ::close(folderFd);
        return 0;
    }
    int removed = 0;
    while (dirent* entry = ::readdir(listing)) {
        if (!isPendingFileName(entry->d_name)) continue;
        struct stat st;
        if (::fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || !isBefore(st.st_ctim, runStart)) continue;
        if (::unlinkat(folderFd, entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(listing);
    return removed;
}
