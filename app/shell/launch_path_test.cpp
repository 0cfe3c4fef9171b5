#include "app/shell/launch_path.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

TEST(LaunchPath, QuoteRulesAndTheLengthLimit) {
    const std::pair<std::string, std::string> cases[] = {
        {"\"/home/ann/My Photos/a b.jpg\"", "/home/ann/My Photos/a b.jpg"},
        {"/home/ann/My Photos/a b.jpg", "/home/ann/My Photos/a b.jpg"},
        {"\"/photos/a.jpg\" ", "/photos/a.jpg\""},  // the blank goes instead of the closing quote
        {"", ""}, {"\"", ""}, {"\"\"", ""}};
    for (const auto& [text, path] : cases) EXPECT_EQ(launchPathFrom(text), path) << text;
    EXPECT_EQ(commandLineText({"/home/ann/My", "Photos/a", "b.jpg"}), "/home/ann/My Photos/a b.jpg");

    // A longer path is refused, never cut and looked up.
    std::vector<std::string> asked;
    const auto classify = [&asked](const std::string& path) { asked.push_back(path); return 1; };
    EXPECT_EQ(launchKindOf(std::string(kMaxLaunchPath, 'a'), classify), 1);
    EXPECT_EQ(launchKindOf(std::string(kMaxLaunchPath + 1, 'a'), classify), 0);
    EXPECT_EQ(asked, std::vector<std::string>{std::string(kMaxLaunchPath, 'a')});
}

}  // namespace
}  // namespace shell
