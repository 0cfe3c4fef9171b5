#pragma once
// The result texts of a run, as the window shows them in its message boxes and the console in
// its result lines.

#include <cstddef>
#include <string>
#include <vector>

#include "workflow/run_state.h"

// 103 or 104: "\n\nFile %s successfully rotated\n\n" / "\n\nFile %s could not be rotated\n\n".
std::string oneFileMessage(int rotated, const std::string& path);
// 106 when filesRead > 0: "\n\n%d files read, of which %d files successfully rotated\n\n";
// 107 otherwise: "\n\nNo files processed\n\n". In a dry run 106 says "would be rotated" instead.
std::string folderRunMessage(const RunCounters& counters, bool dryRun = false);
// 105: "Could not open folder %s".
std::string folderNotOpenedMessage(const std::string& folder);
// 108: "Processing file %s", the status line during one file.
std::string processingFileText(const std::string& path);
// The text without its leading and trailing line breaks (for a console).
std::string withoutBlankLines(const std::string& message);

// Beside 104: "Reason: " and the reason in plain words.
std::string refusalReasonLine(const RotateResult& result);
// Beside 103, empty when it does not apply: "(thumbnail not turned: REASON)", "(re-encoded:
// PICTURE: WHY)" and "(the earlier backup was kept)".
std::string thumbnailNote(const RotateResult& result);
std::string reencodedNote(const RotateResult& result);
std::string earlierBackupNote(const RotateResult& result);
// Beside 103, empty when it does not apply: "(" and what its metadata said that disagreed or did
// not follow the turn ")".
std::string metadataNote(const RotateResult& result);
// Instead of 103 for a photo upright by its orientation tag, which was not rewritten.
std::string alreadyUprightMessage(const std::string& path);
// Instead of 103 in a dry run: "\n\nFile %s would be turned: %s\n\n" with the turn's name.
std::string wouldTurnMessage(const std::string& path, const RotateResult& result);
// A dry run's line for a photo that would not be rewritten, and for one that would be refused:
// "File %s would be left as it is: already upright", "File %s would be refused: REASON".
std::string wouldLeaveLine(const std::string& path);
std::string wouldRefuseLine(const std::string& path, const RotateResult& result);
// The edge strips a turn dropped, "" when none: "8 rows at the bottom were dropped: the height is
// not a whole number of 16-pixel blocks", then "thumbnail: " and its own, joined by "; "; in the
// conditional with `foreseen`.
std::string edgeStripsText(const EdgeStrip& picture, const EdgeStrip& thumbnail, bool foreseen = false);
// Beside 103, empty when nothing was dropped from the picture: its strip in brackets. A thumbnail
// that lost a strip of its own (a 160 x 120 one in 4:2:0 often does) is said in the details alone.
std::string edgeStripNote(const RotateResult& result, bool foreseen = false);
// Below a dry run's lines, once: a dry run reads headers only.
std::string dryRunHeadersOnlyLine();
// Instead of 103 for a photo the plan left as it was: "\n\nFile %s was left as it was: %s\n\n".
std::string skippedMessage(const std::string& path, const RotateResult& result);
// Instead of 103 for a photo an undo put back: "\n\nFile %s was put back as it was, from its backup\n\n".
std::string putBackMessage(const std::string& path, const RotateResult& result);
// "File X was turned on DATE by an earlier run and is unchanged since": why a re-run leaves it.
std::string turnedBeforeText(const std::string& date);
// Beside 106, empty for none: "2 files left as they were: an earlier run turned them".
std::string skippedCountLine(const RunCounters& counters);
// The summary of an undo: "3 photos put back as they were", and those left as they were or
// that could not be put back.
std::vector<std::string> undoSummaryLines(const RunCounters& counters);
// Above 106 or 107 when the run was cancelled.
std::string runCancelledLine();
// Beside 106, empty when the count is 0: the files already upright, the photos turned without
// their thumbnail ("1 file already upright, left as it was", "2 files turned without their thumbnail").
std::string uprightCountLine(const RunCounters& counters, bool dryRun = false);
std::string thumbnailsNotTurnedLine(const RunCounters& counters);
// Beside 106, empty for none: "2 files turned with an edge strip dropped" ("would be turned" in a
// dry run), counting the pictures that lost one.
std::string edgeStripsCountLine(const RunCounters& counters, bool dryRun = false);
// True when the run read photos and every one of them already stood upright.
bool nothingToTurn(const RunCounters& counters);
// Beside 106 when nothingToTurn, empty otherwise: "Nothing to turn: all 8 photos are already upright".
std::string nothingToTurnLine(const RunCounters& counters);
// Beside 107 for a folder that holds no file the run takes: "No JPEG files found in FOLDER".
std::string noJpegFilesLine(const std::string& folder);
// Empty for 0: "N hidden files and folders skipped", the entries the folder walk left out.
std::string hiddenSkippedLine(std::size_t count);
// The console's 106, its counts in the singular where they are one: "1 file read, of which 1 file
// successfully rotated" ("would be rotated" in a dry run).
std::string filesReadLine(const RunCounters& counters, bool dryRun);

// The console's line for one file: 103, 104 or their siblings without blank lines (in a dry run
// the conditional ones), with the reason or the notes behind; empty for a file abandoned by a cancel.
std::string fileResultLine(const std::string& path, const RotateResult& result, bool dryRun);

// How a folder run ended, beside its counters.
struct RunEnd {
    bool cancelled = false;
    bool dryRun = false;
    std::vector<std::string> foldersWithoutJpegs;  // folders named by the user whose walk found no file
    std::size_t hiddenSkipped = 0;                 // hidden entries the walk left out
};

// The console's summary of a folder run: the cancelled line or a line for each folder without
// JPEG files; then the nothing-to-turn line, or filesReadLine with the counts beside it, or 107
// when neither says anything; the hidden entries skipped; in a dry run dryRunHeadersOnlyLine.
std::vector<std::string> runSummaryLines(const RunCounters& counters, const RunEnd& end);
