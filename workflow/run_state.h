#pragma once
// What a run's front end counts of its results.

#include <cstdint>
#include <string>
#include <vector>

#include "workflow/rotate_result.h"

// A file of the run that could not be rotated, and why in plain words.
struct RunFailure {
    std::string path;
    std::string reason;
};

// A photo of the run turned with an edge strip dropped, from its picture or its thumbnail.
struct StrippedPhoto {
    std::string path;
    EdgeStrip strip;
    EdgeStrip thumbnailStrip;
};

struct RunCounters {
    std::int32_t filesRead = 0;            // files handed to the workflow (or found unreadable)
    std::int32_t filesRotated = 0;         // files the workflow reported as rotated
    std::int32_t filesUpright = 0;         // files already upright by their orientation tag, left as they were
    std::int32_t thumbnailsNotTurned = 0;  // rotated files whose thumbnail stayed as it was
    std::vector<RunFailure> failures;      // the files that could not be rotated, in the order of the run
    std::size_t hiddenSkipped = 0;         // hidden entries the folder walk left out
    std::vector<StrippedPhoto> stripped;   // the rotated files that lost an edge strip, in the same order
};

// Counts one file's result. A file abandoned by a cancel is not counted: it was not processed.
void countResult(RunCounters& counters, const std::string& path, const RotateResult& result);
