#include "workflow/run_messages.h"

#include "transform/turns.h"

namespace {

std::string countLine(std::int32_t count, const char* text) {
    return count == 0 ? "" : std::to_string(count) + text;
}

std::string withNotes(const std::string& message, const RotateResult& result) {
    std::string line = withoutBlankLines(message);
    for (const std::string& note : {thumbnailNote(result), earlierBackupNote(result)})
        if (!note.empty()) line += " " + note;
    return line;
}

}  // namespace

std::string oneFileMessage(int rotated, const std::string& path) {
    return rotated ? "\n\nFile " + path + " successfully rotated\n\n" : "\n\nFile " + path + " could not be rotated\n\n";
}

std::string folderRunMessage(const RunCounters& counters, bool dryRun) {
    if (counters.filesRead == 0) return "\n\nNo files processed\n\n";
    return "\n\n" + std::to_string(counters.filesRead) + " files read, of which " +
           std::to_string(counters.filesRotated) + (dryRun ? " files would be rotated\n\n" : " files successfully rotated\n\n");
}

std::string folderNotOpenedMessage(const std::string& folder) { return "Could not open folder " + folder; }

std::string processingFileText(const std::string& path) { return "Processing file " + path; }

std::string withoutBlankLines(const std::string& message) {
    size_t first = message.find_first_not_of('\n');
    if (first == std::string::npos) return "";
    size_t last = message.find_last_not_of('\n');
    return message.substr(first, last - first + 1);
}

std::string refusalReasonLine(const RotateResult& result) { return "Reason: " + refusalText(result); }

std::string thumbnailNote(const RotateResult& result) {
    return result.thumbnailNotTurned.empty() ? "" : "(thumbnail not turned: " + result.thumbnailNotTurned + ")";
}

std::string earlierBackupNote(const RotateResult& result) {
    return result.earlierBackupKept ? "(the earlier backup was kept)" : "";
}

std::string alreadyUprightMessage(const std::string& path) {
    return "\n\nFile " + path + " is already upright and was left as it was\n\n";
}

std::string wouldTurnMessage(const std::string& path, const RotateResult& result) {
    return "\n\nFile " + path + " would be turned: " + turnName(result.turn) + "\n\n";
}

std::string runCancelledLine() { return "Cancelled: the files not yet handled were left as they were"; }

std::string uprightCountLine(const RunCounters& counters) {
    return countLine(counters.filesUpright, " files already upright, left as they were");
}

std::string thumbnailsNotTurnedLine(const RunCounters& counters) {
    return countLine(counters.thumbnailsNotTurned, " files turned without their thumbnail");
}

std::string fileResultLine(const std::string& path, const RotateResult& result, bool dryRun) {
    switch (result.outcome) {
    case FileOutcome::Rotated: return withNotes(dryRun ? wouldTurnMessage(path, result) : oneFileMessage(1, path), result);
    case FileOutcome::AlreadyUpright: return withoutBlankLines(alreadyUprightMessage(path));
    case FileOutcome::Refused: return withoutBlankLines(oneFileMessage(0, path)) + ": " + refusalText(result);
    case FileOutcome::Cancelled: break;
    }
    return "";
}

std::vector<std::string> runSummaryLines(const RunCounters& counters, bool cancelled, bool dryRun) {
    std::vector<std::string> lines;
    if (cancelled) lines.push_back(runCancelledLine());
    lines.push_back(withoutBlankLines(folderRunMessage(counters, dryRun)));
    for (const std::string& line : {uprightCountLine(counters), thumbnailsNotTurnedLine(counters)})
        if (!line.empty()) lines.push_back(line);
    return lines;
}
