#include "workflow/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <utility>

#include "platform/file_attributes.h"
#include "platform/path_kind.h"
#include "platform/pending_file.h"
#include "workflow/natural_order.h"
#include "workflow/stray_files.h"

namespace {

constexpr std::chrono::milliseconds kListingPulse{50};

std::pair<dev_t, ino_t> keyOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// The system takes paths shorter than PATH_MAX, the terminating zero included.
bool fitsTheSystem(const std::string& path) { return path.size() < PATH_MAX; }

bool isHidden(const std::string& name) { return !name.empty() && name[0] == '.'; }

// The folder and name that hold the file `path` leads to: its own, or the one a link leads to.
// A path that cannot be resolved (beyond the system's limit) stands for a name of its own.
std::pair<std::pair<dev_t, ino_t>, std::string> holderOf(const std::string& path) {
    const std::string holder = platform::fileBehindLink(path);
    struct stat folder;
    if (::stat(platform::folderOf(holder).c_str(), &folder) != 0) return {{0, 0}, path};
    return {keyOf(folder), platform::baseNameOf(holder)};
}

// A folder open for the walk, closed when the walk leaves it or no longer needs it.
class OpenFolder {
public:
    explicit OpenFolder(int fd) : fd_(fd) {}
    ~OpenFolder() { close(); }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    int fd() const { return fd_; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// `relative` (a path, or a name within the folder `base`) opened as a folder; -1 when it cannot be.
int openFolder(int base, const std::string& relative, bool followLink) {
    return ::openat(base, relative.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
}

// Every entry name of the open folder but "." and "..", read whole before anything is added.
bool listEntries(int fd, std::vector<std::string>& names) {
    const int listingFd = ::dup(fd);
    DIR* listing = listingFd >= 0 ? ::fdopendir(listingFd) : nullptr;
    if (!listing) {
        if (listingFd >= 0) ::close(listingFd);
        return false;
    }
    while (dirent* entry = ::readdir(listing)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(std::move(name));
    }
    ::closedir(listing);
    return true;
}

}  // namespace

bool hasJpegName(const std::string& path) {
    const std::string name = platform::baseNameOf(path);
    const std::string::size_type dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return false;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "jpg" || extension == "jpeg";
}

RunListing::RunListing(const ProcessingOptions& options, const RunContext& run,
                       std::function<void(std::size_t)> whileListing, bool settleStrays)
    : subfolders_(options.bSubfolders != 0), includeHidden_(options.includeHidden != 0), settleStrays_(settleStrays),
      run_(run), whileListing_(std::move(whileListing)), lastCall_(std::chrono::steady_clock::now()),
      start_(runStartTime()) {}

int RunListing::add(const std::string& path) {
    const int kind = platform::classifyPath(path);
    if (kind == 1) addFile(path);
    if (kind == 2) walk(path, openFolder(AT_FDCWD, path, true));
    return kind;
}

void RunListing::addFile(const std::string& path) {
    const std::string folder = platform::folderOf(path);
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0) cleanFolder(folder, keyOf(st));
    if (::stat(path.c_str(), &st) == 0) list(path, st, holderOf(path));  // else gone since it was looked at
}

void RunListing::cleanFolder(const std::string& folder, const NodeKey& key) {
    // By path: where a path outgrows the system's limit, no run of ours can have left a file.
    if (!settleStrays_ || !foldersCleaned_.insert(key).second) return;
    removeStrayPendingFiles(folder, start_);
    if (trashesSettled_.insert(key.first).second) settleTrashOf(folder, key.first, start_);
}

void RunListing::walk(const std::string& folder, int fd) {
    OpenFolder open(fd);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !foldersEntered_.insert(keyOf(st)).second) return;
    cleanFolder(folder, keyOf(st));
    std::vector<std::string> names;
    if (!listEntries(fd, names)) return;
    std::sort(names.begin(), names.end(), naturalLess);
    std::vector<std::string> subfolders;
    for (const std::string& name : names) {
        if (stopped()) return;
        if (takeEntry(folder, fd, keyOf(st), name)) subfolders.push_back(name);
    }
    // A subfolder is opened by its path while that fits the system, else by its name in this
    // folder, which then stays open meanwhile.
    const auto tooLong = [&folder](const std::string& name) { return !fitsTheSystem(joinPath(folder, name)); };
    if (std::none_of(subfolders.begin(), subfolders.end(), tooLong)) open.close();
    for (const std::string& name : subfolders) {
        if (stopped()) return;
        const std::string path = joinPath(folder, name);
        walk(path, fitsTheSystem(path) ? openFolder(AT_FDCWD, path, false) : openFolder(fd, name, false));
    }
}

// Lists the entry `name` of the open folder `fd` when a folder run takes it; true for a
// subfolder to be walked.
bool RunListing::takeEntry(const std::string& folder, int fd, const NodeKey& folderKey, const std::string& name) {
    struct stat st;
    if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;  // gone since the listing
    // Another program's backups and caches (.picasaoriginals, .thumbnails) are no photos to turn.
    const bool hidden = isHidden(name) && !includeHidden_;
    if (S_ISDIR(st.st_mode)) {
        if (subfolders_ && hidden) ++hiddenSkipped_;
        return subfolders_ && !hidden;
    }
    if (!hasJpegName(name) || isPendingFileName(name)) return false;
    const bool isLink = S_ISLNK(st.st_mode);
    const bool reachable = !isLink || ::fstatat(fd, name.c_str(), &st, 0) == 0;
    if (reachable && S_ISDIR(st.st_mode)) return false;  // a link to a folder is never followed
    if (hidden) {
        ++hiddenSkipped_;
        return false;
    }
    const std::string path = joinPath(folder, name);
    // A dangling link, a pipe or a device: opening it could block, and it is no photo.
    if (!reachable || !S_ISREG(st.st_mode)) {
        files_.push_back({path, RefusalReason::NotRegularFile});
        return false;
    }
    list(path, st, isLink ? holderOf(path) : NameKey{folderKey, name});
    return false;
}

// A regular file, `name` the folder and name that hold it. A file of one name is listed once
// whatever leads to it; a file of several names once under each, refused: turning it would give
// the name turned a new file and leave the others with the old one.
void RunListing::list(const std::string& path, const struct stat& st, const NameKey& name) {
    const bool severalNames = st.st_nlink > 1;
    if (!filesListed_.insert({keyOf(st), severalNames ? name : NameKey{}}).second) return;
    RefusalReason known = RefusalReason::None;
    if (!fitsTheSystem(path)) known = RefusalReason::PathTooLong;
    else if (severalNames) known = RefusalReason::SeveralNames;
    files_.push_back({path, known});
}

bool RunListing::stopped() {
    if (whileListing_ && std::chrono::steady_clock::now() - lastCall_ >= kListingPulse) {
        whileListing_(files_.size());
        lastCall_ = std::chrono::steady_clock::now();
    }
    return run_.cancelled();
}

Plan planOf(const std::vector<RunFile>& files, TransformKind fixedTurn, bool byOrientation) {
    Plan plan;
    plan.reserve(files.size());
    for (const RunFile& file : files) {
        PlannedPhoto photo = plannedFor(file.path, fixedTurn, byOrientation);
        photo.knownRefusal.reason = file.knownRefusal;
        // The system's own word for it says nothing of how long the path is.
        if (file.knownRefusal == RefusalReason::PathTooLong)
            photo.knownRefusal.detail = std::to_string(file.path.size()) + " characters";
        plan.push_back(std::move(photo));
    }
    return plan;
}
