#include "platform/qt/desktop_link_opener.h"

#include <gtest/gtest.h>

#include <QFile>

#include "tests/support/files.h"

namespace platform {
namespace {

struct StartRecord {
    QString program;
    QStringList arguments;
};

class DesktopLinkOpenerTest : public ::testing::Test {
protected:
    DesktopLinkOpener opener(bool desktopOpens, const std::string& browser, int startResult = kLinkOpened) {
        return DesktopLinkOpener(
            [this, desktopOpens](const std::string& link) {
                desktopAsked.push_back(link);
                return desktopOpens;
            },
            browser,
            [this, startResult](const QString& program, const QStringList& arguments) {
                starts.push_back({program, arguments});
                return startResult;
            });
    }
    std::vector<std::string> desktopAsked;
    std::vector<StartRecord> starts;
};

TEST_F(DesktopLinkOpenerTest, DesktopFirstAndNoBrowserWhenItOpens) {
    EXPECT_GT(opener(true, "firefox").open("https://velmora.example/"), 32);
    EXPECT_EQ(desktopAsked, (std::vector<std::string>{"https://velmora.example/"}));
    EXPECT_TRUE(starts.empty());
}

TEST_F(DesktopLinkOpenerTest, WithoutDesktopOrBrowserNothingIsAssociated) {
    EXPECT_EQ(opener(false, "").open("mailto:a@b.example"), kLinkNoAssociation);
}

TEST_F(DesktopLinkOpenerTest, BrowserCommandIsCutAtItsPlaceholderAndGetsTheLinkLast) {
    EXPECT_GT(opener(false, "\"/opt/my browser/run\" --new \"%1\" --tail").open("mailto:a@b.example"), 32);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program, "/opt/my browser/run");
    EXPECT_EQ(starts[0].arguments, (QStringList{"--new", "mailto:a@b.example"}));

    starts.clear();
    EXPECT_GT(opener(false, "w3m").open("https://velmora.example/a b"), 32);
    EXPECT_EQ(starts[0].program, "w3m");
    EXPECT_EQ(starts[0].arguments, (QStringList{"https://velmora.example/a b"}));
}

TEST_F(DesktopLinkOpenerTest, EachBrowserOfTheListIsTriedUntilOneStarts) {
    EXPECT_EQ(opener(false, "first %s:second", kLinkFileNotFound).open("https://x.example/"), kLinkFileNotFound);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1].program, "second");
}

TEST(DesktopLinkOpenerStart, MissingOrNonExecutableProgramsGiveTheirCodes) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("not-a-program"), {'x'});
    EXPECT_EQ(DesktopLinkOpener::startDetached(QString::fromStdString(dir.file("nothing")), {}), kLinkFileNotFound);
    EXPECT_EQ(DesktopLinkOpener::startDetached("pivora-no-such-browser-anywhere", {}), kLinkFileNotFound);
    EXPECT_EQ(DesktopLinkOpener::startDetached(QString::fromStdString(dir.file("not-a-program")), {}),
              kLinkAccessDenied);
    EXPECT_EQ(DesktopLinkOpener::startDetached("true", {"https://velmora.example/"}), kLinkOpened);
}

}  // namespace
}  // namespace platform
