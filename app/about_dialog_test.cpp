// The about box and its two links: texts, the look of a link under the pointer and after a
// successful open, and the messages of a failed one.
#include "app/about_dialog.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

#include "app/testing/window_fixture.h"
#include "platform/recording_message_sink.h"
#include "platform/scripted_link_opener.h"

namespace {

const QColor kGreen(0, 127, 0), kPurple(85, 26, 139), kRed(255, 0, 0);

class AboutDialogTest : public ::testing::Test {
protected:
    void SetUp() override { about.show(); }
    // A mouse event in the middle of the link, as the window system sends it.
    static void send(LinkLabel* link, QEvent::Type type, Qt::MouseButton button = Qt::NoButton) {
        const QPointF at = link->rect().center();
        QMouseEvent event(type, at, link->mapToGlobal(at), button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &event);
    }
    // The colour the label draws its text in, and whether it is underlined.
    static std::pair<QColor, bool> look(LinkLabel* link) {
        return {link->palette().color(QPalette::WindowText), link->font().underline()};
    }

    platform::ScriptedLinkOpener opener;
    platform::RecordingMessageSink messages;
    AboutDialog about{nullptr, opener, messages};
};

TEST_F(AboutDialogTest, ShowsNameVersionTextsAndLinksWithADefaultOk) {
    EXPECT_EQ(about.windowTitle(), "About Pivora");
    EXPECT_EQ(windowtest::shownTexts(about),
              (QStringList{"", "PIVORA", "Version " PIVORA_VERSION, "Copyright (c) 2026 Velmora",
                           "Free software under the MIT License", "Comments?", "Send me mail!",
                           "For other exciting products:", "Visit www.velmora.example", "OK"}));
    EXPECT_EQ(about.webLink()->toolTip(), "https://www.velmora.example/");
    EXPECT_EQ(about.mailLink()->cursor().shape(), Qt::PointingHandCursor);
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST_F(AboutDialogTest, LinkTurnsRedUnderlinedUnderThePointerAndPurpleAfterASuccessfulOpen) {
    LinkLabel* link = about.mailLink();
    EXPECT_EQ(look(link), std::make_pair(kGreen, false));
    send(link, QEvent::MouseMove);
    EXPECT_EQ(look(link), std::make_pair(kRed, true));
    EXPECT_TRUE(link->hoverTimerRunning());
    send(link, QEvent::MouseButtonPress, Qt::LeftButton);
    send(link, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(opener.opened, (std::vector<std::string>{"mailto:pivora@velmora.example"}));
    link->setPointerSource([link] { return link->mapToGlobal(QPoint(-50, -50)); });
    link->hoverTick();  // the pointer has left
    EXPECT_EQ(look(link), std::make_pair(kPurple, false));
    EXPECT_EQ(look(about.webLink()), std::make_pair(kGreen, false));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(AboutDialogTest, FailedOpenLeavesTheLinkUnvisitedAndReportsWhyWithTheAddress) {
    const std::pair<platform::LinkResult, const char*> cases[] = {
        {platform::LinkResult::NoProgram, "No program for web pages is set up on this desktop."},
        {platform::LinkResult::ProgramNotFound, "The browser named by the BROWSER variable is not installed."},
    };
    for (const auto& [result, reason] : cases) {
        opener.result = result;
        messages.messages.clear();
        send(about.webLink(), QEvent::MouseButtonRelease, Qt::LeftButton);
        EXPECT_EQ(look(about.webLink()).first, kGreen);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_EQ(messages.messages[0].text,
                  std::string("Unable to open hyperlink:\n\n") + reason + "\n\nThe address is " + opener.opened.back());
    }
    opener.result = platform::LinkResult::NoProgram;
    send(about.mailLink(), QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_NE(messages.texts().back().find("No program for e-mail is set up on this desktop.\n\nThe address is pivora@"),
              std::string::npos);
}

}  // namespace
