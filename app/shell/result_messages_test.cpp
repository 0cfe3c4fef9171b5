#include "app/shell/result_messages.h"

#include <gtest/gtest.h>

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
    const std::string rotated = "\n\nFile /p/a.jpg successfully rotated\n\n",
                      failed = "\n\nFile /p/a.jpg could not be rotated\n\n";
    const struct {
        RotateResult result;
        std::string text;
        MessageIcon icon;
    } cases[] = {
        {outcome(FileOutcome::Rotated), rotated, MessageIcon::None},
        {noted, rotated + "Its thumbnail was left as it was: its size is not a whole number of blocks\n\n"
                          "The backup made by an earlier run was kept as it was.\n\n", MessageIcon::None},
        {refusal(RefusalReason::DamagedData, "Corrupt JPEG data"),
         failed + "Reason: damaged picture data (Corrupt JPEG data)\n\n", MessageIcon::Warning},
        {refusal(RefusalReason::NoPermission), failed + "Reason: no permission to write\n\n", MessageIcon::Warning},
        {outcome(FileOutcome::Cancelled), failed + "Reason: the run was cancelled; the file was left as it was\n\n",
         MessageIcon::Warning},
        {outcome(FileOutcome::AlreadyUpright), "\n\nFile /p/a.jpg already stands upright; it was left as it was\n\n",
         MessageIcon::None},
    };
    for (const auto& row : cases) {
        const ResultMessage message = oneFileResult("/p/a.jpg", row.result);
        EXPECT_EQ(message.text, row.text);
        EXPECT_EQ(message.icon, row.icon) << row.text;
        EXPECT_EQ(message.details, "");
    }
    EXPECT_EQ(notFileOrPathResult("/gone").text, "Not file or path: /gone");
}

TEST(ResultMessages, FolderRunKeepsItsSummaryAndAddsCancelUprightThumbnailsAndFailures) {
    RunCounters failed{3, 2, 0, 1, {{"/p/b.jpg", "not a JPEG file"}, {"/p/c.jpg", "not enough memory"}}};
    const std::string cancelLine = "The run was cancelled: the files it had not reached are as they were.\n"
                                   "Running it again would turn the files already rotated a second time.";
    const struct {
        RunCounters counters;
        bool cancelled, byTag;
        std::string text;
        MessageIcon icon;
    } cases[] = {
        {{205, 205, 0, 0, {}}, true, false,
         cancelLine + "\n\n205 files read, of which 205 files successfully rotated\n\n", MessageIcon::Warning},
        {{}, true, true, cancelLine + "\n\nNo files processed\n\n", MessageIcon::Warning},
        {{3, 1, 2, 0, {}}, false, true,
         "\n\n3 files read, of which 1 files successfully rotated\n\n2 files already upright, left as they were\n\n",
         MessageIcon::None},
        {failed, false, false,
         "\n\n3 files read, of which 2 files successfully rotated\n\n1 rotated file keeps its thumbnail as it was\n\n"
         "2 files could not be rotated; the details name each with the reason\n\n", MessageIcon::Warning},
    };
    for (const auto& row : cases) {
        const ResultMessage message = folderRunResult(row.counters, row.cancelled, row.byTag);
        EXPECT_EQ(message.text, row.text);
        EXPECT_EQ(message.icon, row.icon) << row.text;
    }
    EXPECT_EQ(folderRunResult(failed, false, false).details,
              "/p/b.jpg: not a JPEG file\n/p/c.jpg: not enough memory\n");
}

}  // namespace
}  // namespace shell
