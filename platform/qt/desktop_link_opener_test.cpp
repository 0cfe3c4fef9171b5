#include "platform/qt/desktop_link_opener.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

// The BROWSER fall-back: each command of the list is cut at its placeholder, split into a
// program and its words, and gets the link as one last argument.
TEST(DesktopLinkOpener, BrowserCommandIsCutAtItsPlaceholderAndGetsTheLinkLast) {
    const std::string link = "https://velmora.example/a b";
    const struct { const char* browser; const char* started; LinkResult result; } cases[] = {
        {"\"/opt/web browser/run\" -new \"%1\" -x", "/opt/web browser/run|-new", LinkResult::Opened},
        {"lynx \"%s\" --tail", "lynx", LinkResult::Opened},
        {"chromium --incognito", "chromium|--incognito", LinkResult::Opened},
        {"::first %1:second", "first|second", LinkResult::ProgramNotFound},  // each tried, empty ones dropped
        {"", "", LinkResult::NoProgram},
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
    EXPECT_EQ(DesktopLinkOpener([](const std::string&) { return true; }, "never", nullptr).open(link), LinkResult::Opened);
}

}  // namespace
}  // namespace platform
