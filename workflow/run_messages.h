#pragma once
// The result texts of a run, as the window shows them in its message boxes.

#include <string>

#include "workflow/run_state.h"

// 103 or 104: "\n\nFile %s successfully rotated\n\n" / "\n\nFile %s could not be rotated\n\n".
std::string oneFileMessage(int rotated, const std::string& path);
// 106 when filesRead > 0: "\n\n%d files read, of which %d files successfully rotated\n\n";
// 107 otherwise: "\n\nNo files processed\n\n".
std::string folderRunMessage(const RunCounters& counters);
// 105: "Could not open folder %s".
std::string folderNotOpenedMessage(const std::string& folder);
// 108: "Processing file %s", the status line during one file.
std::string processingFileText(const std::string& path);
// The text without its leading and trailing line breaks (for a console).
std::string withoutBlankLines(const std::string& message);
