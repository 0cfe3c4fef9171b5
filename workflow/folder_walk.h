#pragma once
// The folder run: every JPEG file of a folder (and, when asked, of its subfolders) handed to
// the per-file workflow one by one, counted, with the cancel flag checked before each entry.

#include <functional>
#include <string>

#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"
#include "workflow/run_state.h"

// Rotates one file and says what became of it (rotatePhoto, or a substitute in tests).
using RotateFileFunction = std::function<RotateResult(const std::string& path)>;
// Runs after each file handed to the workflow (the window's message pump); may set cancelRequested.
using BetweenFilesFunction = std::function<void()>;

// True when the last three characters of `path` are "JPG", or its last five ".JPEG", in any
// letter case: the names the file chooser offers.
bool hasJpegName(const std::string& path);

// Walks `folder` depth first: every entry in the order the file system lists it, hidden ones
// included, subfolders only when options.bSubfolders is set. Symbolic links to folders are not
// followed, and a file reached by several names (links) is handed over once per call. A file
// that is not a regular file is counted as refused (NotRegularFile), without being opened.
// Stray temporary files of an earlier, interrupted run are removed from each folder visited.
// A folder that cannot be listed adds nothing. Adds to `counters`; never resets them.
void walkFolder(const std::string& folder, const ProcessingOptions& options, RunCounters& counters,
                const RotateFileFunction& rotate, const BetweenFilesFunction& betweenFiles);
