#include "app/shell/launch_path.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

TEST(LaunchPath, QuotedAndUnquotedPathWithBlanksGiveTheSamePath) {
    EXPECT_EQ(launchPathFrom("\"/home/ann/My Photos/a b.jpg\""), "/home/ann/My Photos/a b.jpg");
    EXPECT_EQ(launchPathFrom("/home/ann/My Photos/a b.jpg"), "/home/ann/My Photos/a b.jpg");
    EXPECT_EQ(commandLineText({"/home/ann/My", "Photos/a", "b.jpg"}), "/home/ann/My Photos/a b.jpg");
}

TEST(LaunchPath, BlankBehindTheClosingQuoteIsDroppedInsteadOfTheQuote) {
    EXPECT_EQ(launchPathFrom("\"/photos/a.jpg\" "), "/photos/a.jpg\"");
}

TEST(LaunchPath, EmptyTextOrALoneQuoteNamesNoPath) {
    EXPECT_EQ(launchPathFrom(""), "");
    EXPECT_EQ(launchPathFrom("\""), "");
    EXPECT_EQ(launchPathFrom("\"\""), "");
    EXPECT_EQ(commandLineText({}), "");
}

TEST(LaunchPath, TooLongPathIsRefusedWithoutAskingTheFileSystem) {
    int asked = 0;
    auto classify = [&asked](const std::string&) {
        ++asked;
        return 1;
    };
    EXPECT_EQ(launchKindOf(std::string(kMaxLaunchPath, 'a'), classify), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(launchKindOf(std::string(kMaxLaunchPath + 1, 'a'), classify), 0);
    EXPECT_EQ(asked, 1);
}

}  // namespace
}  // namespace shell
