#include "workflow/folder_walk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <utility>

#include "platform/path_kind.h"
#include "platform/pending_file.h"
#include "workflow/stray_files.h"

namespace {

constexpr std::chrono::milliseconds kListingPulse{50};

std::pair<dev_t, ino_t> keyOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// Every entry name but "." and "..", in listing order, read whole before anything is added.
bool listEntries(const std::string& folder, std::vector<std::string>& names) {
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) return false;
    while (dirent* entry = ::readdir(listing)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(std::move(name));
    }
    ::closedir(listing);
    return true;
}

}  // namespace

bool hasJpegName(const std::string& path) {
    const auto endsWith = [&path](const char* tail) {
        const std::string::size_type length = std::char_traits<char>::length(tail);
        if (path.size() < length) return false;
        for (std::string::size_type i = 0; i < length; ++i) {
            if (std::toupper(static_cast<unsigned char>(path[path.size() - length + i])) != tail[i]) return false;
        }
        return true;
    };
    return endsWith("JPG") || endsWith(".JPEG");
}

RunListing::RunListing(const ProcessingOptions& options, std::function<void(std::size_t)> whileListing)
    : subfolders_(options.bSubfolders != 0), whileListing_(std::move(whileListing)),
      lastCall_(std::chrono::steady_clock::now()), start_(runStartTime()) {}

int RunListing::add(const std::string& path) {
    const int kind = platform::classifyPath(path);
    if (kind == 1) addFile(path);
    if (kind == 2) walk(path);
    return kind;
}

void RunListing::addFile(const std::string& path) {
    const std::string folder = platform::folderOf(path);
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0 && foldersCleaned_.insert(keyOf(st)).second)
        removeStrayPendingFiles(folder, start_);
    list(path, true);
}

void RunListing::walk(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !foldersEntered_.insert(keyOf(st)).second) return;
    removeStrayPendingFiles(folder, start_);
    std::vector<std::string> names;
    if (!listEntries(folder, names)) return;
    for (const std::string& name : names) {
        if (whileListing_ && std::chrono::steady_clock::now() - lastCall_ >= kListingPulse) {
            whileListing_(files_.size());
            lastCall_ = std::chrono::steady_clock::now();
        }
        if (cancelRequested) return;
        handleEntry(joinPath(folder, name), name);
    }
}

void RunListing::handleEntry(const std::string& path, const std::string& name) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return;  // gone since the listing
    if (S_ISDIR(st.st_mode)) {
        if (subfolders_) walk(path);
        return;
    }
    if (!hasJpegName(path) || isPendingFileName(name)) return;
    const bool reachable = S_ISLNK(st.st_mode) ? ::stat(path.c_str(), &st) == 0 : true;
    if (reachable && S_ISDIR(st.st_mode)) return;  // a link to a folder is never followed
    // A dangling link, a pipe or a device: opening it could block, and it is no photo.
    list(path, reachable && S_ISREG(st.st_mode));
}

// A regular file is listed once, whatever name or link leads to it.
void RunListing::list(const std::string& path, bool regularFile) {
    struct stat st;
    if (regularFile && (::stat(path.c_str(), &st) != 0 || !filesListed_.insert(keyOf(st)).second)) return;
    files_.push_back({path, regularFile});
}

RotateResult turnListedFile(const RunFile& file, const RotateFileFunction& rotate) {
    return file.regularFile ? rotate(file.path) : refusal(RefusalReason::NotRegularFile);
}

void walkFolder(const std::string& folder, const ProcessingOptions& options, RunCounters& counters,
                const RotateFileFunction& rotate, const BetweenFilesFunction& betweenFiles) {
    RunListing listing(options);
    if (platform::classifyPath(folder) == 2) listing.add(folder);
    for (const RunFile& file : listing.files()) {
        if (cancelRequested) return;
        countResult(counters, file.path, turnListedFile(file, rotate));
        if (betweenFiles) betweenFiles();
    }
}
