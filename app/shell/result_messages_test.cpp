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
    const std::string rotated = oneFileMessage(1, "/p/a.jpg"), failed = oneFileMessage(0, "/p/a.jpg");
    const struct {
        RotateResult result;
        std::string text;
        MessageIcon icon;
    } cases[] = {
        {noted, rotated + thumbnailNote(noted) + "\n\n" + earlierBackupNote(noted) + "\n\n", MessageIcon::None},
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
}

// 106 and 107 as they were; a run with nothing to turn, or a folder without JPEG files, says so
// beside them and is no warning.
TEST(ResultMessages, FolderRunSaysWhenThereWasNothingToTurnOrNothingToRead) {
    RunCounters upright, failed;
    for (int i = 0; i < 2; ++i) countResult(upright, "/p/a.jpg", outcome(FileOutcome::AlreadyUpright));
    countResult(failed, "/p/a.jpg", refusal(RefusalReason::NotJpeg));
    failed.hiddenSkipped = 2;
    const struct {
        RunCounters counters;
        bool cancelled;
        std::string text;
        MessageIcon icon;
    } cases[] = {
        {upright, false, folderRunMessage(upright) + "Nothing to turn: all 2 photos are already upright\n\n", MessageIcon::None},
        {{}, false, folderRunMessage({}) + "No JPEG files found in /p\n\n", MessageIcon::None},
        {{}, true, runCancelledLine() + "\nThe details name the files already turned." + folderRunMessage({}),
         MessageIcon::Warning},
        {failed, false,
         folderRunMessage(failed) + "2 hidden files and folders skipped\n\n"
                                    "1 file could not be rotated; the details name each with the reason\n\n",
         MessageIcon::Warning},
    };
    for (const auto& row : cases) {
        const ResultMessage message = folderRunResult(row.counters, row.cancelled, {"/p"});
        EXPECT_EQ(message.text, row.text);
        EXPECT_EQ(message.icon, row.icon) << row.text;
    }
}

// A photo alone says its picture's strip with the result and its thumbnail's behind it; a folder
// run counts the photos that lost one and lists each, with either strip, below the failures.
TEST(ResultMessages, EdgeStripsAreSaidAndListedInTheDetails) {
    RotateResult picture = outcome(FileOutcome::Rotated), thumbnail = picture;
    picture.strip = {4, 0, 16, 16};
    thumbnail.thumbnailStrip = {0, 8, 16, 16};
    const std::string columns = "4 columns at the right were dropped: the width is not a whole number of 16-pixel blocks";
    const std::string rows = "8 rows at the bottom were dropped: the height is not a whole number of 16-pixel blocks";
    ResultMessage message = oneFileResult("/p/a.jpg", picture);
    EXPECT_EQ(message.text, oneFileMessage(1, "/p/a.jpg") + "(" + columns + ")\n\n");
    EXPECT_EQ(message.details, "");
    message = oneFileResult("/p/a.jpg", thumbnail);
    EXPECT_EQ(message.text, oneFileMessage(1, "/p/a.jpg"));
    EXPECT_EQ(message.details, "thumbnail: " + rows + "\n");

    RunCounters counters;
    countResult(counters, "/p/a.jpg", picture);
    countResult(counters, "/p/b.jpg", thumbnail);
    countResult(counters, "/p/c.jpg", refusal(RefusalReason::NotJpeg));
    message = folderRunResult(counters, false);
    EXPECT_EQ(message.text, folderRunMessage(counters) + "1 file turned with an edge strip dropped; the details say which\n\n" +
                                "1 file could not be rotated; the details name each with the reason\n\n");
    EXPECT_EQ(message.details, "Could not be rotated:\n/p/c.jpg: not a JPEG file\nTurned:\n/p/a.jpg: none; " + columns +
                                   "\n/p/b.jpg: none; thumbnail: " + rows + "\n");
}

}  // namespace
}  // namespace shell
