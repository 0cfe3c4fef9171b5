#pragma once
// The files of a run, listed before any of them is turned: the files named by the user and the
// JPEG files of the folders walked, in the order of the walk. A file that the listing already
// knows to refuse is listed with its reason, so that it is named and counted, and never opened.

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "workflow/plan.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"
#include "workflow/run_context.h"

// One file a run takes.
struct RunFile {
    std::string path;
    // None: the workflow turns it. Otherwise it is refused for this reason without being opened:
    // NotRegularFile (a pipe, a device, a dangling link), SeveralNames (hard links), PathTooLong.
    RefusalReason knownRefusal = RefusalReason::None;
};

// True when the name at the end of `path` has the extension ".jpg" or ".jpeg" in any letter
// case, behind at least one other character: the names a folder run takes.
bool hasJpegName(const std::string& path);

class RunListing {
public:
    // Folders are walked into their subfolders when options.bSubfolders is set, and take hidden
    // entries when options.includeHidden is. `whileListing`, when given, is called with the number
    // of files listed so far at most every 50 ms, so that a window stays live while a large tree
    // is listed; it may cancel the run. With `settleStrays` the temporary files an interrupted run
    // left are settled in each folder visited; a dry run leaves them, changing nothing.
    explicit RunListing(const ProcessingOptions& options, const RunContext& run = {},
                        std::function<void(std::size_t)> whileListing = nullptr, bool settleStrays = true);

    // Adds what `path` names and returns platform::classifyPath's kind of it. A file (1) is taken
    // whatever its name, hidden or not. A folder (2) is walked depth first: first its files with
    // JPEG names (hasJpegName), then its subfolders when asked, each group in natural name order
    // (naturalLess). Names starting with "." are left out (and counted) unless hidden entries are
    // asked for; links to folders are not followed. Entries are examined relative to their open
    // folder, so that a tree whose paths outgrow the system's limit is walked whole (its files
    // listed as PathTooLong). A folder that cannot be listed adds nothing, nor does any other
    // kind. A file is listed once for each of its names: reached again by the same name or
    // through a symbolic link, it is not listed again. The walk stops before its next entry once
    // the run is cancelled.
    int add(const std::string& path);

    const std::vector<RunFile>& files() const { return files_; }
    // Hidden files with JPEG names, and hidden subfolders of a run into subfolders, left out.
    std::size_t hiddenSkipped() const { return hiddenSkipped_; }

private:
    using NodeKey = std::pair<dev_t, ino_t>;
    using NameKey = std::pair<NodeKey, std::string>;  // the folder that holds a name, and the name
    using FileKey = std::pair<NodeKey, NameKey>;      // the file, and for one of several names its name

    void addFile(const std::string& path);
    void cleanFolder(const std::string& folder, const NodeKey& key);
    void walk(const std::string& folder, int fd);
    bool takeEntry(const std::string& folder, int fd, const NodeKey& folderKey, const std::string& name);
    void list(const std::string& path, const struct stat& st, const NameKey& name);
    bool stopped();

    bool subfolders_, includeHidden_, settleStrays_;
    RunContext run_;
    std::function<void(std::size_t)> whileListing_;
    std::chrono::steady_clock::time_point lastCall_;
    timespec start_;
    std::set<NodeKey> foldersEntered_, foldersCleaned_;
    std::set<dev_t> trashesSettled_;  // the file systems whose Trash this run settled
    std::set<FileKey> filesListed_;
    std::vector<RunFile> files_;
    std::size_t hiddenSkipped_ = 0;
};

// The listed files as the main job plans them: the fixed turn, or upright by the Orientation tag,
// each with the refusal its listing knows.
Plan planOf(const std::vector<RunFile>& files, TransformKind fixedTurn, bool byOrientation);
