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

}  // namespace
}  // namespace shell
