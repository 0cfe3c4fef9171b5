#pragma once
// The files of a run, listed before any of them is turned: the files named by the user and every
// JPEG file of the folders walked, in the order of the walk, each file once.

#include <sys/types.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"
#include "workflow/run_state.h"

// Rotates one file and says what became of it (rotatePhoto, or a substitute in tests).
using RotateFileFunction = std::function<RotateResult(const std::string& path)>;
// Runs after each file handed to the workflow (the window's message pump); may set cancelRequested.
using BetweenFilesFunction = std::function<void()>;

// One file a run takes.
struct RunFile {
    std::string path;
    bool regularFile = true;  // false: a pipe, device or dangling link, refused without being opened
};

// True when the last three characters of `path` are "JPG", or its last five ".JPEG", in any
// letter case: the names the file chooser offers.
bool hasJpegName(const std::string& path);

class RunListing {
public:
    // Folders are walked into their subfolders when options.bSubfolders is set. `whileListing`,
    // when given, is called with the number of files listed so far at most every 50 ms, so that
    // a window stays live while a large tree is listed; it may set cancelRequested.
    explicit RunListing(const ProcessingOptions& options, std::function<void(std::size_t)> whileListing = nullptr);

    // Adds what `path` names and returns platform::classifyPath's kind of it. A file (1) is taken
    // whatever its name. A folder (2) is walked depth first: every entry in the order the file
    // system lists it, hidden ones included, files with JPEG names (hasJpegName), subfolders only when
    // asked; links to folders are not followed. A file that is not a regular file is listed as
    // such, to be refused without being opened. Stray temporary files of an earlier, interrupted
    // run are removed from each folder visited. A folder that cannot be listed adds nothing, nor
    // does any other kind. A file reached before, by any name or link, is not listed again; the
    // walk stops before its next entry once cancelRequested is set.
    int add(const std::string& path);

    const std::vector<RunFile>& files() const { return files_; }

private:
    using FileKey = std::pair<dev_t, ino_t>;

    void addFile(const std::string& path);
    void walk(const std::string& folder);
    void handleEntry(const std::string& path, const std::string& name);
    void list(const std::string& path, bool regularFile);

    bool subfolders_;
    std::function<void(std::size_t)> whileListing_;
    std::chrono::steady_clock::time_point lastCall_;
    timespec start_;
    std::set<FileKey> foldersEntered_, foldersCleaned_, filesListed_;
    std::vector<RunFile> files_;
};

// Lists `folder` and hands its files one by one to `rotate` on the calling thread, counting each
// result and calling `betweenFiles` after it; stops before the next file once cancelRequested is
// set. Adds to `counters`; never resets them. (The window's run until it moves onto runFiles.)
void walkFolder(const std::string& folder, const ProcessingOptions& options, RunCounters& counters,
                const RotateFileFunction& rotate, const BetweenFilesFunction& betweenFiles);

// What the workflow would say of a listed file that is not a regular file; rotate's word otherwise.
RotateResult turnListedFile(const RunFile& file, const RotateFileFunction& rotate);
