#include "app/shell/result_messages.h"

#include <gtest/gtest.h>

#include "workflow/run_messages.h"

namespace shell {
namespace {

using platform::MessageIcon;

RotateResult outcome(FileOutcome kind) {
    RotateResult result;
    result.outcome = kind;
    return result;
}

TEST(ResultMessages, OneFileSaysWhyItWasNotRotatedAndWhatItNoted) {
    RotateResult noted = outcome(FileOutcome::Rotated);
    noted.thumbnailNotTurned = "its size is not a whole number of blocks";
    noted.earlierBackupKept = true;
    const RotateResult damaged = refusal(RefusalReason::DamagedData, "Corrupt JPEG data");
    const std::string rotated = oneFileMessage(1, "/p/a.jpg"), failed = oneFileMessage(0, "/p/a.jpg");
    const struct {
        RotateResult result;
        std::string text;
        MessageIcon icon;
    } cases[] = {
        {outcome(FileOutcome::Rotated), rotated, MessageIcon::None},
        {noted, rotated + thumbnailNote(noted) + "\n\n" + earlierBackupNote(noted) + "\n\n", MessageIcon::None},
        {damaged, failed + "Reason: damaged picture data (Corrupt JPEG data)\n\n", MessageIcon::Warning},
        {outcome(FileOutcome::Cancelled), failed + "Reason: the run was cancelled; the file was left as it was\n\n",
         MessageIcon::Warning},
        {outcome(FileOutcome::AlreadyUpright), alreadyUprightMessage("/p/a.jpg"), MessageIcon::None},
    };
    for (const auto& row : cases) {
        const ResultMessage message = oneFileResult("/p/a.jpg", row.result);
        EXPECT_EQ(message.text, row.text);
        EXPECT_EQ(message.icon, row.icon) << row.text;
        EXPECT_EQ(message.details, "");
    }
    EXPECT_EQ(notFileOrPathResult("/gone").text, "Not file or path: /gone");
}

TEST(ResultMessages, FolderRunKeepsItsSummaryBetweenTheCancelLineAboveAndTheCountsAndFailuresBelow) {
    const RunCounters failed{3, 2, 0, 0, {{"/p/b.jpg", "not a JPEG file"}, {"/p/c.jpg", "not enough memory"}}};
    const RunCounters counted{5, 2, 2, 1, {}};
    const std::string cancelLines =
        runCancelledLine() + "\nRunning it again would turn the files already rotated a second time.";
    const struct {
        RunCounters counters;
        bool cancelled;
        std::string text;
        MessageIcon icon;
    } cases[] = {
        {{205, 205, 0, 0, {}}, true, cancelLines + folderRunMessage({205, 205, 0, 0, {}}), MessageIcon::Warning},
        {counted, false,
         folderRunMessage(counted) + uprightCountLine(counted) + "\n\n" + thumbnailsNotTurnedLine(counted) + "\n\n",
         MessageIcon::None},
        {failed, false,
         folderRunMessage(failed) + "2 files could not be rotated; the details name each with the reason\n\n",
         MessageIcon::Warning},
    };
    for (const auto& row : cases) {
        const ResultMessage message = folderRunResult(row.counters, row.cancelled);
        EXPECT_EQ(message.text, row.text);
        EXPECT_EQ(message.icon, row.icon) << row.text;
    }
    EXPECT_EQ(folderRunResult(failed, false).details, "/p/b.jpg: not a JPEG file\n/p/c.jpg: not enough memory\n");
}

}  // namespace
}  // namespace shell
