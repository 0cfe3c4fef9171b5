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

// Rotated with 8 rows of 16-pixel blocks dropped, and 4 columns of its thumbnail's 8-pixel ones.
RotateResult stripped() {
    RotateResult r = result(FileOutcome::Rotated);
    r.strip = {0, 8, 16, 16};
    r.thumbnailStrip = {4, 0, 8, 8};
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
        {result(FileOutcome::AlreadyUpright), false, "File a.jpg is already upright and was left as it was"},
        {result(FileOutcome::AlreadyUpright), true, "File a.jpg would be left as it is: already upright"},
        {refusal(RefusalReason::DamagedData, "Premature end of JPEG file"), false,
         "File a.jpg could not be rotated: damaged picture data (Premature end of JPEG file)"},
        {refusal(RefusalReason::NotJpeg), true, "File a.jpg would be refused: not a JPEG file"},
        // The thumbnail's strip is for the details alone.
        {stripped(), false, "File a.jpg successfully rotated (8 rows at the bottom were dropped: the height is not a "
                            "whole number of 16-pixel blocks)"},
        {stripped(), true, "File a.jpg would be turned: rotate 90 (8 rows at the bottom would be dropped: the height is "
                           "not a whole number of 16-pixel blocks)"},
        {result(FileOutcome::Cancelled), false, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(fileResultLine("a.jpg", c.result, c.dryRun), c.line);
    EXPECT_EQ(refusalReasonLine(refusal(RefusalReason::NoPermission)), "Reason: no permission to write");
    EXPECT_EQ(edgeStripsText(stripped().strip, stripped().thumbnailStrip),
              "8 rows at the bottom were dropped: the height is not a whole number of 16-pixel blocks; thumbnail: 4 "
              "columns at the right were dropped: the width is not a whole number of 8-pixel blocks");
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
    const std::string headersOnly =
        "A dry run reads each photo's header only: damaged picture data is found only by the turn itself";
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
                                                      "1 hidden file or folder skipped", headersOnly}},
        {countersOf({upright}), ended(true), {cancelled, "1 file read, of which 0 files successfully rotated",
                                         "1 file already upright, left as it was"}},
        {countersOf({stripped(), upright}), ended(false, true, {"/p"}),
         {"No JPEG files found in /p", "2 files read, of which 1 file would be rotated",
          "1 file already upright, would be left as it is", "1 file would be turned with an edge strip dropped", headersOnly}},
        {countersOf({result(FileOutcome::Rotated, "too large"), stripped(), upright, upright, refusal(RefusalReason::NotJpeg),
                     result(FileOutcome::Cancelled)}),
         ended(false, false, {}, 7),
         {"5 files read, of which 2 files successfully rotated", "2 files already upright, left as they were",
          "1 file turned with an edge strip dropped", "1 file turned without its thumbnail",
          "7 hidden files and folders skipped"}},
    };
    for (const auto& c : cases) EXPECT_EQ(runSummaryLines(c.counters, c.end), c.lines);
    // The window's 106 stays as it was.
    EXPECT_EQ(folderRunMessage(countersOf({rotated}), true), "\n\n1 files read, of which 1 files would be rotated\n\n");
}

}  // namespace
