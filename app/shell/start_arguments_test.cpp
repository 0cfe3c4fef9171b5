#include "app/shell/start_arguments.h"

#include <gtest/gtest.h>

#include "app/shell/display_check.h"
#include "app/shell/help_location.h"
#include "app/shell/launch_path.h"

namespace shell {
namespace {

TEST(StartArguments, WindowLaunchHelpVersionOrUsageError) {
    // Only "/My Photos/a b.jpg" exists, as a file; paths longer than kMaxLaunchPath are never looked up.
    const auto classify = [](const std::string& path) {
        EXPECT_LE(path.size(), kMaxLaunchPath);
        return path == "/My Photos/a b.jpg" ? 1 : 0;
    };
    const std::string tooLong(kMaxLaunchPath + 1, 'a');
    using Words = std::vector<std::string>;
    const struct {
        Words arguments;
        StartAction action;
        std::string pathOrProblem;
    } cases[] = {
        {{}, StartAction::Window, ""},
        {{"\""}, StartAction::Window, ""},
        {{"/gone.jpg"}, StartAction::Launch, "/gone.jpg"},
        {{"\"/My Photos/a b.jpg\""}, StartAction::Launch, "/My Photos/a b.jpg"},
        {{"\"/photos/a.jpg\" "}, StartAction::Launch, "/photos/a.jpg\""},  // the blank goes instead of the quote
        {{"\"\""}, StartAction::Window, ""},
        {{tooLong, "b"}, StartAction::UsageError, "more than one path"},
        {{"/My", "Photos/a", "b.jpg"}, StartAction::Launch, "/My Photos/a b.jpg"},  // unquoted blanks
        {{"--", "-odd.jpg"}, StartAction::Launch, "-odd.jpg"},
        {{"a.jpg", "b.jpg"}, StartAction::UsageError, "more than one path"},
        {{"a.jpg", "--bogus", "-x"}, StartAction::UsageError, "unknown option '--bogus'"},
        {{"a.jpg", "b.jpg", "--version"}, StartAction::Version, ""},
        {{"-h"}, StartAction::Help, ""},
        {{"--", "--help"}, StartAction::Launch, "--help"},
        {{"--review"}, StartAction::Review, ""},
        {{"--review", "\"/My Photos/a b.jpg\""}, StartAction::Review, "/My Photos/a b.jpg"},
        {{"/a", "--review", "/b"}, StartAction::UsageError, "more than one path"},
    };
    for (const auto& row : cases) {
        const StartRequest request = parseStartArguments(row.arguments, classify);
        EXPECT_EQ(request.action, row.action) << row.pathOrProblem;
        EXPECT_EQ(request.action == StartAction::UsageError ? request.problem : request.path, row.pathOrProblem);
    }
    EXPECT_EQ(usageText("more than one path").rfind("pivora: more than one path\nUsage: pivora [PATH]\n", 0), 0u);
}

TEST(StartRules, DisplayFromAnyOfThreeVariablesAndHelpNextToTheExecutableFirst) {
    EXPECT_FALSE(hasDisplay(nullptr, "", nullptr));
    EXPECT_TRUE(hasDisplay(":0", nullptr, nullptr) && hasDisplay(nullptr, "wayland-0", nullptr) &&
                hasDisplay(nullptr, nullptr, "offscreen"));
    EXPECT_EQ(helpFileCandidates("/opt/bin/pivora", {"", "/usr/share/pivora", "/opt/bin", "/usr/share/pivora"}),
              (std::vector<std::string>{"/opt/bin/PIVORA.HLP", "/usr/share/pivora/PIVORA.HLP"}));
}

}  // namespace
}  // namespace shell
