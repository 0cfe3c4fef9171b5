#include "workflow/stray_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "platform/pending_file.h"
#include "platform/pending_name.h"
#include "platform/trash.h"

namespace {

bool isBefore(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A regular file opened by name without following a link or blocking; -1 for anything else.
int openRegular(const std::string& path, struct stat& st) {
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat opened;
    if (fd >= 0 && (::fstat(fd, &opened) != 0 || !sameFile(opened, st))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readWhole(int fd, std::vector<char>& bytes) {
    bytes.clear();
    char buffer[1 << 16];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n <= 0) return n == 0;
        bytes.insert(bytes.end(), buffer, buffer + n);
        at += n;
    }
}

// True when the regular file at `path` holds exactly the bytes of the open file `fd`.
bool holdsSameBytes(int fd, const std::string& path) {
    struct stat st;
    int other = openRegular(path, st);
    if (other < 0) return false;
    std::vector<char> mine, theirs;
    const bool same = readWhole(fd, mine) && readWhole(other, theirs) && mine == theirs;
    ::close(other);
    return same;
}

bool removed(const std::string& path) { return ::unlink(path.c_str()) == 0; }

// The untouched photo of a run that ended between placing its backup and completing it.
bool settleWaitingBackup(const std::string& folder, const std::string& path, const std::string& photoName, int fd,
                         const struct stat& st) {
    const std::string photo = folder + "/" + photoName, backup = photo + platform::kBackupSuffix;
    struct stat now;
    const bool photoThere = ::lstat(photo.c_str(), &now) == 0;
    if (photoThere && (sameFile(now, st) || holdsSameBytes(fd, photo))) return removed(path);  // never replaced
    if (platform::renameWithoutReplacing(path, backup)) return true;
    return holdsSameBytes(fd, backup) && removed(path);
}

bool settleStray(const std::string& folder, const std::string& name, const platform::PendingName& parsed,
                 const timespec& runStart) {
    const std::string path = folder + "/" + name;
    struct stat st;
    int fd = openRegular(path, st);
    if (fd < 0) return false;
    bool settled = false;
    struct stat still;
    // A live run holds a lock on each of its files; one made since this run began may be about to.
    if (isBefore(st.st_ctim, runStart) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &still) == 0 &&
        sameFile(still, st)) {
        switch (parsed.kind) {
            case platform::PendingKind::Rewrite: settled = removed(path); break;
            case platform::PendingKind::WaitingBackup:
                settled = settleWaitingBackup(folder, path, parsed.photoName, fd, st);
                break;
            // Its photo cannot be found by name: it goes only where another name still holds it.
            case platform::PendingKind::WaitingBackupOfLongName: settled = st.st_nlink > 1 && removed(path); break;
        }
    }
    ::close(fd);
    return settled;
}

}  // namespace

bool isPendingFileName(const std::string& name) { return platform::parsePendingName(name).has_value(); }

timespec runStartTime() {
    // File times come from the kernel's coarse clock; a fine reading could lie ahead of the
    // stamp of a file created after it and make that file look older than the run.
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

int settleTrashOf(const std::string& folder, dev_t device, const timespec& runStart) {
    const Result<platform::TrashCan> trash = platform::trashFor(platform::absolutePathOf(folder + "/x"), device, false);
    return trash.ok() ? platform::settleTrash(trash.value(), runStart) : 0;
}

int removeStrayPendingFiles(const std::string& folder, const timespec& runStart) {
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) return 0;
    std::vector<std::pair<std::string, platform::PendingName>> ours;
    while (dirent* entry = ::readdir(listing))
        if (auto parsed = platform::parsePendingName(entry->d_name)) ours.emplace_back(entry->d_name, *parsed);
    ::closedir(listing);
    int settled = 0;
    for (const auto& [name, parsed] : ours) settled += settleStray(folder, name, parsed, runStart) ? 1 : 0;
    return settled;
}
