#include "workflow/run_messages.h"

#include <gtest/gtest.h>

namespace {

RotateResult result(FileOutcome outcome, const char* thumbnail = "", bool earlierBackup = false) {
    RotateResult r;
    r.outcome = outcome;
    r.turn = TransformKind::Rotate90;
    r.thumbnailNotTurned = thumbnail;
    r.earlierBackupKept = earlierBackup;
    return r;
}

RotateResult reencoded(const char* which) {
    RotateResult r = result(FileOutcome::Rotated);
    r.reencoded = which;
    return r;
}

TEST(RunMessages, FileResultLinesCarryTheReasonsAndNotes) {
    const struct {
        RotateResult result;
        bool dryRun;
        const char* line;
    } cases[] = {
        {result(FileOutcome::Rotated), false, "File a.jpg successfully rotated"},
        {result(FileOutcome::Rotated, "it is not a JPEG", true), false,
         "File a.jpg successfully rotated (thumbnail not turned: it is not a JPEG) (the earlier backup was kept)"},
        {result(FileOutcome::Rotated, "too large"), true, "File a.jpg would be turned: rotate 90 (thumbnail not turned: too large)"},
        {reencoded("picture 2: its size"), false, "File a.jpg successfully rotated (re-encoded: picture 2: its size)"},
        {result(FileOutcome::AlreadyUpright), true, "File a.jpg is already upright and was left as it was"},
        {refusal(RefusalReason::DamagedData, "Premature end of JPEG file"), false,
         "File a.jpg could not be rotated: damaged picture data (Premature end of JPEG file)"},
        {result(FileOutcome::Cancelled), false, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(fileResultLine("a.jpg", c.result, c.dryRun), c.line);
    EXPECT_EQ(refusalReasonLine(refusal(RefusalReason::NoPermission)), "Reason: no permission to write");
}

RunCounters countersOf(std::initializer_list<RotateResult> results) {
    RunCounters counters;
    for (const RotateResult& r : results) countResult(counters, "a.jpg", r);
    return counters;
}

RunEnd ended(bool cancelled, bool dryRun = false, std::vector<std::string> folders = {}, std::size_t hidden = 0) {
    return {cancelled, dryRun, std::move(folders), hidden};
}

// The console's summary: its own counts, singular where they are one, what a run found beside them.
TEST(RunMessages, SummarySaysWhatTheRunFoundInTheConsolesWords) {
    const RotateResult rotated = result(FileOutcome::Rotated), upright = result(FileOutcome::AlreadyUpright);
    const std::string cancelled = "Cancelled: the files not yet handled were left as they were";
    const struct {
        RunCounters counters;
        RunEnd end;
        std::vector<std::string> lines;
    } cases[] = {
        {{}, ended(false), {"No files processed"}},
        {{}, ended(false, false, {"/p", "/q"}), {"No JPEG files found in /p", "No JPEG files found in /q"}},
        {{}, ended(true, false, {"/p"}), {cancelled, "No files processed"}},
        {countersOf({upright, upright, upright}), ended(false), {"Nothing to turn: all 3 photos are already upright"}},
        {countersOf({upright}), ended(false, true, {}, 1), {"Nothing to turn: the photo is already upright",
                                                      "1 hidden file or folder skipped"}},
        {countersOf({upright}), ended(true), {cancelled, "1 file read, of which 0 files successfully rotated",
                                         "1 file already upright, left as it was"}},
        {countersOf({rotated}), ended(false, true, {"/p"}), {"No JPEG files found in /p", "1 file read, of which 1 file would be rotated"}},
        {countersOf({result(FileOutcome::Rotated, "too large"), rotated, upright, upright, refusal(RefusalReason::NotJpeg),
                     result(FileOutcome::Cancelled)}),
         ended(false, false, {}, 7),
         {"5 files read, of which 2 files successfully rotated", "2 files already upright, left as they were",
          "1 file turned without its thumbnail", "7 hidden files and folders skipped"}},
    };
    for (const auto& c : cases) EXPECT_EQ(runSummaryLines(c.counters, c.end), c.lines);
    // The window's 106 stays as it was.
    EXPECT_EQ(folderRunMessage(countersOf({rotated}), true), "\n\n1 files read, of which 1 files would be rotated\n\n");
}

}  // namespace
