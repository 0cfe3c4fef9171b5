#include "workflow/folder_walk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <set>
#include <utility>
#include <vector>

#include "workflow/stray_files.h"

namespace {

using FileKey = std::pair<dev_t, ino_t>;

FileKey keyOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// Every entry name but "." and "..", in listing order. The listing is read whole before any
// file is rewritten, so that a renamed-over entry cannot come round a second time.
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

class FolderRun {
public:
    FolderRun(const ProcessingOptions& options, RunCounters& counters, const RotateFileFunction& rotate,
              const BetweenFilesFunction& betweenFiles)
        : options_(options), counters_(counters), rotate_(rotate), betweenFiles_(betweenFiles),
          start_(runStartTime()) {}

    void walk(const std::string& folder) {
        struct stat st;
        if (::stat(folder.c_str(), &st) != 0 || !foldersEntered_.insert(keyOf(st)).second) return;
        removeStrayPendingFiles(folder, start_);
        std::vector<std::string> names;
        if (!listEntries(folder, names)) return;
        for (const std::string& name : names) {
            if (cancelRequested) return;
            handleEntry(joinPath(folder, name), name);
        }
    }

private:
    void handleEntry(const std::string& path, const std::string& name) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return;  // gone since the listing
        if (S_ISDIR(st.st_mode)) {
            if (options_.bSubfolders) walk(path);
            return;
        }
        if (!hasJpegName(path) || isPendingFileName(name)) return;
        bool reachable = S_ISLNK(st.st_mode) ? ::stat(path.c_str(), &st) == 0 : true;
        if (reachable && S_ISDIR(st.st_mode)) return;  // a link to a folder is never followed
        if (!reachable || !S_ISREG(st.st_mode)) {
            // A dangling link, a pipe or a device: opening it could block, and it is no photo.
            finishFile(path, refusal(RefusalReason::NotRegularFile));
            return;
        }
        if (filesDone_.count(keyOf(st))) return;  // reached before through another link
        const RotateResult result = rotate_(path);
        // The rewritten file has a new identity; record it so that no link leads to it again.
        // A file left as it was keeps its old one.
        struct stat after;
        filesDone_.insert(result.rotated() && ::stat(path.c_str(), &after) == 0 ? keyOf(after) : keyOf(st));
        finishFile(path, result);
    }

    void finishFile(const std::string& path, const RotateResult& result) {
        countResult(counters_, path, result);
        if (betweenFiles_) betweenFiles_();
    }

    const ProcessingOptions& options_;
    RunCounters& counters_;
    const RotateFileFunction& rotate_;
    const BetweenFilesFunction& betweenFiles_;
    timespec start_;
    std::set<FileKey> foldersEntered_;
    std::set<FileKey> filesDone_;
};

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

void walkFolder(const std::string& folder, const ProcessingOptions& options, RunCounters& counters,
                const RotateFileFunction& rotate, const BetweenFilesFunction& betweenFiles) {
    FolderRun run(options, counters, rotate, betweenFiles);
    run.walk(folder);
}
