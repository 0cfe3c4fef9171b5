#include "platform/browser_command.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(BrowserCommandPrefix, CutsAtThePlaceholderSoTheLinkGoesInUnquoted) {
    EXPECT_EQ(browserCommandPrefix("\"/opt/web browser/run\" -new \"%1\" -x"), "\"/opt/web browser/run\" -new");
    EXPECT_EQ(browserCommandPrefix("firefox %1"), "firefox");
    EXPECT_EQ(browserCommandPrefix("lynx \"%s\""), "lynx");
    EXPECT_EQ(browserCommandPrefix("w3m %s --tail"), "w3m");
}

TEST(BrowserCommandPrefix, QuotedPlaceholderWinsOverABareOneLaterOn) {
    EXPECT_EQ(browserCommandPrefix("b \"%1\" %1"), "b");
    EXPECT_EQ(browserCommandPrefix("b %s \"%1\""), "b %s");
}

TEST(BrowserCommandPrefix, CommandWithoutPlaceholderStaysWhole) {
    EXPECT_EQ(browserCommandPrefix("chromium --incognito"), "chromium --incognito");
    EXPECT_EQ(browserCommandPrefix("%1"), "");
}

TEST(BrowserCommands, SplitsTheColonListAndDropsEmptyEntries) {
    EXPECT_EQ(browserCommands("firefox:lynx %s"), (std::vector<std::string>{"firefox", "lynx %s"}));
    EXPECT_EQ(browserCommands("::w3m: "), (std::vector<std::string>{"w3m"}));
    EXPECT_TRUE(browserCommands("").empty());
}

}  // namespace
}  // namespace platform
