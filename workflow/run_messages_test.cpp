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
        {result(FileOutcome::AlreadyUpright), true, "File a.jpg is already upright and was left as it was"},
        {refusal(RefusalReason::DamagedData, "Premature end of JPEG file"), false,
         "File a.jpg could not be rotated: damaged picture data (Premature end of JPEG file)"},
        {result(FileOutcome::Cancelled), false, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(fileResultLine("a.jpg", c.result, c.dryRun), c.line);
    EXPECT_EQ(refusalReasonLine(refusal(RefusalReason::NoPermission)), "Reason: no permission to write");
}

TEST(RunMessages, SummaryKeeps106And107AndAddsTheCountsBesideThem) {
    RunCounters counters;
    EXPECT_EQ(runSummaryLines(counters, false, false), std::vector<std::string>{"No files processed"});
    for (FileOutcome outcome : {FileOutcome::Rotated, FileOutcome::AlreadyUpright, FileOutcome::Cancelled})
        countResult(counters, "a.jpg", result(outcome, outcome == FileOutcome::Rotated ? "too large" : ""));
    EXPECT_EQ(runSummaryLines(counters, true, false),
              (std::vector<std::string>{"Cancelled: the files not yet handled were left as they were",
                                        "2 files read, of which 1 files successfully rotated",
                                        "1 files already upright, left as they were",
                                        "1 files turned without their thumbnail"}));
    EXPECT_EQ(folderRunMessage(counters, true), "\n\n2 files read, of which 1 files would be rotated\n\n");
}

}  // namespace
