#pragma once
// The words of the console's status line: where a run stands, and how long it may still take.

#include <cstddef>
#include <string>

#include "workflow/run_engine.h"

// "12 of 340, about 2 minutes left: PATH" (the estimate once a file is done, from the pace so
// far), the path made safe for a terminal and cut at its start ("...") so that the line takes
// at most `columns`.
std::string progressText(const RunProgress& progress, double secondsSoFar, std::size_t columns);

// While the folders are listed: "Listing the folders: 1234 files so far".
std::string listingText(std::size_t filesListed);

// "7 seconds", "1 minute", "3 hours", rounded to the nearest.
std::string durationText(double seconds);
