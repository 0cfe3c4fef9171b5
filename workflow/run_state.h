#pragma once
// What a run's front end counts of its results.

#include <cstdint>
#include <string>
#include <vector>

#include "workflow/rotate_result.h"

// A file of the run and what became of it in plain words: why it could not be rotated, the turn
// it got, or why it was left as it was.
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
    std::int32_t filesSkipped = 0;         // files the plan left as they were (turned by an earlier run)
    std::vector<RunFailure> failures;      // the files that could not be rotated, in the order of the run
    std::vector<RunFailure> turned;        // the files turned, each with its turn (or how it was put back)
    std::vector<RunFailure> left;          // the files left as they were, each with the reason
    std::size_t hiddenSkipped = 0;         // hidden entries the folder walk left out
    std::vector<StrippedPhoto> stripped;   // the rotated files that lost an edge strip, in the same order
};

// What a turned file's line in a run's details says: "rotate 270", "put back from its backup".
std::string turnedText(const RotateResult& result);

// Counts one file's result. A file abandoned by a cancel is not counted: it was not processed.
void countResult(RunCounters& counters, const std::string& path, const RotateResult& result);
