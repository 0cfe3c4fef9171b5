#pragma once
// Temporary files that a killed run left beside the photographs: recognised by the naming
// pattern of platform::PendingFile and removed by a later run.

#include <ctime>
#include <string>

// True for "." + any name + platform::kPendingMarker + six letters or digits.
bool isPendingFileName(const std::string& name);

// The moment a run starts, on the clock the file system stamps files with.
timespec runStartTime();

// Removes the regular files of `folder` whose names follow the pattern and whose status change
// time lies before `runStart`, so that a file another run is still writing is left alone.
// Returns the number removed.
int removeStrayPendingFiles(const std::string& folder, const timespec& runStart);
