#pragma once
// What a run shares between its front end, the folder walk and the workers: the counters and
// the cancel flag.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "workflow/rotate_result.h"

// Set to 1 to stop a run (the status window's Cancel, Ctrl-C): the folder walk stops before its
// next entry and the file in hand is abandoned untouched. Cleared at the start of every run.
// A lock-free atomic, so that a signal handler may set it and every worker thread may read it.
extern std::atomic<int> cancelRequested;
static_assert(std::atomic<int>::is_always_lock_free, "the cancel flag is set from a signal handler");

// A file of the run that could not be rotated, and why in plain words.
struct RunFailure {
    std::string path;
    std::string reason;
};

struct RunCounters {
    std::int32_t filesRead = 0;            // files handed to the workflow (or found unreadable)
    std::int32_t filesRotated = 0;         // files the workflow reported as rotated
    std::int32_t filesUpright = 0;         // files already upright by their orientation tag, left as they were
    std::int32_t thumbnailsNotTurned = 0;  // rotated files whose thumbnail stayed as it was
    std::vector<RunFailure> failures;      // the files that could not be rotated, in the order of the run
};

// Counts one file's result. A file abandoned by a cancel is not counted: it was not processed.
void countResult(RunCounters& counters, const std::string& path, const RotateResult& result);
