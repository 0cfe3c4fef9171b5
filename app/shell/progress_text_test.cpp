#include "app/shell/progress_text.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

using std::chrono::seconds;

TEST(ProgressText, TimeLeftOnceAFewFilesOrSecondsTellAndInWordsAPersonWouldSay) {
    const struct {
        std::size_t done, total;
        seconds elapsed;
        const char* said;
    } rows[] = {
        {0, 100, seconds(60), ""},  // no file done: nothing to go by
        {2, 100, seconds(4), ""},   // too early
        {3, 100, seconds(1), "about 30 seconds left"},
        {1, 100, seconds(5), "about 8 minutes left"},
        {10, 12, seconds(3), "a few seconds left"},
        {10, 12, seconds(140), "about 30 seconds left"},
        {10, 20, seconds(55), "about 55 seconds left"},
        {10, 20, seconds(58), "about 1 minute left"},
        {4, 200, seconds(5), "about 4 minutes left"},
        {20, 1000, seconds(73), "about 1 hour left"},
        {20, 1000, seconds(300), "about 4 hours left"},
        {12, 12, seconds(60), ""},  // done
    };
    for (const auto& row : rows)
        EXPECT_EQ(timeLeftText(row.done, row.total, row.elapsed), row.said)
            << row.done << " of " << row.total << " in " << row.elapsed.count() << " s";
    EXPECT_EQ(failedSoFarText(0), "");
    EXPECT_EQ(failedSoFarText(1), "1 could not be turned");
    EXPECT_EQ(failedSoFarText(12), "12 could not be turned");
}

}  // namespace
}  // namespace shell
