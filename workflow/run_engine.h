#pragma once
// The run engine: the listed files of a run turned on several worker threads at once, their
// results handed back on the calling thread in the order of the listing.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "workflow/folder_walk.h"

// Where a run stands, for a status window: "12 of 340" and the file in hand.
struct RunProgress {
    std::size_t filesDone = 0;   // results handed back so far
    std::size_t filesTotal = 0;  // files of the run
    std::string fileInHand;      // the first file, in run order, still being turned; empty when none
};

struct RunHooks {
    // Each file's result, in the order of the listing. A file that a cancel abandoned comes with
    // FileOutcome::Cancelled; a file that never started does not come at all.
    std::function<void(const RunFile& file, const RotateResult& result)> onResult;
    // After each result, and at least every 50 ms while the run waits for one; may set cancelRequested.
    std::function<void(const RunProgress& progress)> onProgress;
};

// The number of workers a run starts unless told otherwise: the cores this process may use.
unsigned defaultJobCount();

// Turns `files` with `rotate` on up to `jobs` worker threads (0: defaultJobCount()), never more
// than there are files, and blocks until every file handed out is back, calling the hooks on the
// calling thread meanwhile. Once cancelRequested is set no further file starts; the files in hand
// are left to the workflow, which abandons them. `rotate` runs on the workers, several at once:
// it must not touch the calling thread's objects (a window) nor anything shared without a lock.
// The per-file workflow keeps its module state per thread, and the run's memory is bounded by one
// MemoryBudget that the caller hands to it through TurnSettings::memoryBudget.
void runFiles(const std::vector<RunFile>& files, unsigned jobs, const RotateFileFunction& rotate,
              const RunHooks& hooks);
