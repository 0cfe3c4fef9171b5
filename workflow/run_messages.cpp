#include "workflow/run_messages.h"

std::string oneFileMessage(int rotated, const std::string& path) {
    return rotated ? "\n\nFile " + path + " successfully rotated\n\n" : "\n\nFile " + path + " could not be rotated\n\n";
}

std::string folderRunMessage(const RunCounters& counters) {
    if (counters.filesRead == 0) return "\n\nNo files processed\n\n";
    return "\n\n" + std::to_string(counters.filesRead) + " files read, of which " +
           std::to_string(counters.filesRotated) + " files successfully rotated\n\n";
}

std::string folderNotOpenedMessage(const std::string& folder) { return "Could not open folder " + folder; }

std::string processingFileText(const std::string& path) { return "Processing file " + path; }

std::string withoutBlankLines(const std::string& message) {
    size_t first = message.find_first_not_of('\n');
    if (first == std::string::npos) return "";
    size_t last = message.find_last_not_of('\n');
    return message.substr(first, last - first + 1);
}
