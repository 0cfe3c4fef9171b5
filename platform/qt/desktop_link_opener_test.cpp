#include "platform/qt/desktop_link_opener.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

// The BROWSER fall-back: each command of the list is cut at its placeholder, split into a
// program and its words, and gets the link as one last argument.
TEST(DesktopLinkOpener, BrowserCommandIsCutAtItsPlaceholderAndGetsTheLinkLast) {
    const std::string link = "https://velmora.example/a b";
    const struct { const char* browser; const char* started; int result; } cases[] = {
        {"\"/opt/web browser/run\" -new \"%1\" -x", "/opt/web browser/run|-new", kLinkOpened},
        {"lynx \"%s\" --tail", "lynx", kLinkOpened},
        {"chromium --incognito", "chromium|--incognito", kLinkOpened},
        {"::first %1:second", "first|second", kLinkFileNotFound},  // each tried, empty ones dropped
        {"", "", kLinkNoAssociation},
    };
    const auto noDesktop = [](const std::string&) { return false; };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.browser);
        QStringList started;
        auto start = [&](const QString& program, QStringList arguments) {
            EXPECT_EQ(arguments.takeLast().toStdString(), link);
            started << program << arguments;
            return row.result;
        };
        EXPECT_EQ(DesktopLinkOpener(noDesktop, row.browser, start).open(link), row.result);
        EXPECT_EQ(started.join('|').toStdString(), row.started);
    }
    EXPECT_GT(DesktopLinkOpener([](const std::string&) { return true; }, "never", nullptr).open(link), 32);
}

}  // namespace
}  // namespace platform
