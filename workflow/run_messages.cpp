#include "workflow/run_messages.h"

#include <algorithm>

#include "transform/turns.h"

namespace {

// "1 file", "2 files": the console's counts in plain English.
std::string counted(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string withNotes(const std::string& message, const RotateResult& result, bool foreseen) {
    std::string line = withoutBlankLines(message);
    for (const std::string& note : {edgeStripNote(result, foreseen), thumbnailNote(result), reencodedNote(result), metadataNote(result),
                                    earlierBackupNote(result)})
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

std::string reencodedNote(const RotateResult& result) {
    return result.reencoded.empty() ? "" : "(re-encoded: " + result.reencoded + ")";
}

std::string earlierBackupNote(const RotateResult& result) {
    return result.earlierBackupKept ? "(the earlier backup was kept)" : "";
}

std::string metadataNote(const RotateResult& result) {
    return result.metadataNote.empty() ? "" : "(" + result.metadataNote + ")";
}

std::string alreadyUprightMessage(const std::string& path) {
    return "\n\nFile " + path + " is already upright and was left as it was\n\n";
}

std::string wouldTurnMessage(const std::string& path, const RotateResult& result) {
    return "\n\nFile " + path + " would be turned: " + turnName(result.turn) + "\n\n";
}

std::string wouldLeaveLine(const std::string& path) { return "File " + path + " would be left as it is: already upright"; }

std::string wouldRefuseLine(const std::string& path, const RotateResult& result) {
    return "File " + path + " would be refused: " + refusalText(result);
}

std::string edgeStripsText(const EdgeStrip& picture, const EdgeStrip& thumbnail, bool foreseen) {
    std::string text = edgeStripText(picture, foreseen);
    if (thumbnail.any()) text += (text.empty() ? "thumbnail: " : "; thumbnail: ") + edgeStripText(thumbnail, foreseen);
    return text;
}

std::string edgeStripNote(const RotateResult& result, bool foreseen) {
    const std::string text = edgeStripText(result.strip, foreseen);
    return text.empty() ? "" : "(" + text + ")";
}

std::string dryRunHeadersOnlyLine() {
    return "A dry run reads each photo's header only: damaged picture data is found only by the turn itself";
}

std::string skippedMessage(const std::string& path, const RotateResult& result) {
    return "\n\nFile " + path + " was left as it was: " + result.detail + "\n\n";
}

std::string putBackMessage(const std::string& path, const RotateResult& result) {
    return "\n\nFile " + path + " was put back as it was, " + result.putBack + "\n\n";
}

std::string turnedBeforeText(const std::string& date) {
    return "it was turned on " + date + " by an earlier run and is unchanged since";
}

std::string skippedCountLine(const RunCounters& counters) {
    const std::int32_t count = counters.filesSkipped;
    if (count == 0) return "";
    return counted(count, "file", "files") + " left as " + (count == 1 ? "it was: an earlier run turned it" : "they were: an earlier run turned them");
}

std::vector<std::string> undoSummaryLines(const RunCounters& counters) {
    std::vector<std::string> lines{counted(counters.filesRotated, "photo", "photos") + " put back as " +
                                   (counters.filesRotated == 1 ? "it was" : "they were")};
    if (counters.filesSkipped > 0)
        lines.push_back(counted(counters.filesSkipped, "photo", "photos") + " already as " +
                        (counters.filesSkipped == 1 ? "it was" : "they were"));
    if (!counters.failures.empty())
        lines.push_back(counted(counters.failures.size(), "photo", "photos") + " left as " +
                        (counters.failures.size() == 1 ? "it is" : "they are") + ": not put back");
    return lines;
}

std::string runCancelledLine() { return "Cancelled: the files not yet handled were left as they were"; }

std::string uprightCountLine(const RunCounters& counters, bool dryRun) {
    const std::int32_t count = counters.filesUpright;
    if (count == 0) return "";
    if (dryRun) return counted(count, "file", "files") + " already upright, would be left as " + (count == 1 ? "it is" : "they are");
    return counted(count, "file", "files") + " already upright, left as " + (count == 1 ? "it was" : "they were");
}

std::string edgeStripsCountLine(const RunCounters& counters, bool dryRun) {
    const auto count = std::count_if(counters.stripped.begin(), counters.stripped.end(),
                                     [](const StrippedPhoto& photo) { return photo.strip.any(); });
    if (count == 0) return "";
    const char* turned = dryRun ? " would be turned" : " turned";
    return counted(static_cast<long long>(count), "file", "files") + turned + " with an edge strip dropped";
}

std::string thumbnailsNotTurnedLine(const RunCounters& counters) {
    const std::int32_t count = counters.thumbnailsNotTurned;
    if (count == 0) return "";
    return counted(count, "file", "files") + " turned without " + (count == 1 ? "its" : "their") + " thumbnail";
}

bool nothingToTurn(const RunCounters& counters) {
    return counters.filesRead > 0 && counters.filesUpright == counters.filesRead;
}

std::string nothingToTurnLine(const RunCounters& counters) {
    if (!nothingToTurn(counters)) return "";
    if (counters.filesUpright == 1) return "Nothing to turn: the photo is already upright";
    return "Nothing to turn: all " + counted(counters.filesUpright, "photo", "photos") + " are already upright";
}

std::string noJpegFilesLine(const std::string& folder) { return "No JPEG files found in " + folder; }

std::string hiddenSkippedLine(std::size_t count) {
    if (count == 0) return "";
    return count == 1 ? "1 hidden file or folder skipped" : std::to_string(count) + " hidden files and folders skipped";
}

std::string filesReadLine(const RunCounters& counters, bool dryRun) {
    return counted(counters.filesRead, "file", "files") + " read, of which " +
           counted(counters.filesRotated, "file", "files") + (dryRun ? " would be rotated" : " successfully rotated");
}

std::string fileResultLine(const std::string& path, const RotateResult& result, bool dryRun) {
    switch (result.outcome) {
    case FileOutcome::Rotated:
        if (!result.putBack.empty()) return withoutBlankLines(putBackMessage(path, result));
        return withNotes(dryRun ? wouldTurnMessage(path, result) : oneFileMessage(1, path), result, dryRun);
    case FileOutcome::AlreadyUpright: return dryRun ? wouldLeaveLine(path) : withoutBlankLines(alreadyUprightMessage(path));
    case FileOutcome::Skipped: return withoutBlankLines(skippedMessage(path, result));
    case FileOutcome::Refused:
        return dryRun ? wouldRefuseLine(path, result) : withoutBlankLines(oneFileMessage(0, path)) + ": " + refusalText(result);
    case FileOutcome::Cancelled: break;
    }
    return "";
}

std::vector<std::string> runSummaryLines(const RunCounters& counters, const RunEnd& end) {
    std::vector<std::string> lines;
    if (end.cancelled) lines.push_back(runCancelledLine());
    else
        for (const std::string& folder : end.foldersWithoutJpegs) lines.push_back(noJpegFilesLine(folder));
    if (!end.cancelled && nothingToTurn(counters)) {
        lines.push_back(nothingToTurnLine(counters));
    } else if (counters.filesRead > 0) {
        lines.push_back(filesReadLine(counters, end.dryRun));
        for (const std::string& line : {uprightCountLine(counters, end.dryRun), edgeStripsCountLine(counters, end.dryRun),
                                        skippedCountLine(counters), thumbnailsNotTurnedLine(counters)})
            if (!line.empty()) lines.push_back(line);
    } else if (end.cancelled || end.foldersWithoutJpegs.empty()) {
        lines.push_back(withoutBlankLines(folderRunMessage(counters)));
    }
    if (const std::string hidden = hiddenSkippedLine(end.hiddenSkipped); !hidden.empty()) lines.push_back(hidden);
    if (end.dryRun) lines.push_back(dryRunHeadersOnlyLine());
    return lines;
}
