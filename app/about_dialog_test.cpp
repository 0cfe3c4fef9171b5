// The about box and its two links: texts, the look of a link under the pointer and after a
// successful open, and the messages of a failed one.
#include "app/about_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include "app/app_icon.h"
#include "app/dialog_units.h"
#include "platform/recording_message_sink.h"
#include "platform/scripted_link_opener.h"

namespace {

class AboutDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        about = std::make_unique<AboutDialog>(nullptr, opener, messages);
        about->show();
    }
    // The pointer moves onto the link (a real move event, as the window system sends it).
    static void pointerOnto(LinkLabel* link) {
        const QPointF at = link->rect().center();
        QMouseEvent move(QEvent::MouseMove, at, link->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &move);
    }
    static void pointerAwayFrom(LinkLabel* link) {
        link->setPointerSource([link] { return link->mapToGlobal(QPoint(-50, -50)); });
        link->hoverTick();
    }
    static void click(LinkLabel* link) {
        const QPointF at = link->rect().center();
        const QPointF global = link->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &press);
        QApplication::sendEvent(link, &release);
    }
    // Whether any painted pixel of the link has (nearly) `colour`.
    static bool paintedIn(LinkLabel* link, const QColor& colour) {
        const QImage image = link->grab().toImage();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (std::abs(pixel.red() - colour.red()) < 40 && std::abs(pixel.green() - colour.green()) < 40 &&
                    std::abs(pixel.blue() - colour.blue()) < 40)
                    return true;
            }
        }
        return false;
    }

    platform::ScriptedLinkOpener opener;
    platform::RecordingMessageSink messages;
    std::unique_ptr<AboutDialog> about;
};

TEST_F(AboutDialogTest, ShowsNameVersionTextsLinksAndADefaultOk) {
    EXPECT_EQ(about->windowTitle(), "About Pivora");
    QStringList texts;
    for (auto* label : about->findChildren<QLabel*>()) texts << label->text();
    for (const char* text : {"PIVORA", "Version " PIVORA_VERSION, "Comments?", "Send me mail!",
                             "For other exciting products:", "Visit www.velmora.example"}) {
        EXPECT_TRUE(texts.contains(text)) << text;
    }
    EXPECT_FALSE(about->findChild<QLabel*>("icon")->pixmap().isNull());
    EXPECT_TRUE(pivoraIcon().availableSizes().contains(QSize(256, 256)));  // the desktop icon's artwork
    EXPECT_EQ(about->mailLink()->property("controlId").toInt(), 1006);
    EXPECT_EQ(about->webLink()->property("controlId").toInt(), 1007);
    EXPECT_EQ(about->mailLink()->url(), "mailto:pivora@velmora.example");
    EXPECT_EQ(about->webLink()->url(), "https://www.velmora.example/");
    EXPECT_EQ(about->mailLink()->toolTip(), about->mailLink()->url());
    EXPECT_EQ(about->webLink()->toolTip(), about->webLink()->url());
    EXPECT_EQ(about->mailLink()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(about->okButton()->isDefault());
    EXPECT_EQ(about->okButton()->text(), "OK");

    QTest::keyClick(about.get(), Qt::Key_Return);
    EXPECT_EQ(about->result(), QDialog::Accepted);
}

TEST_F(AboutDialogTest, CentredLinkShrinksToItsTextAroundTheSameCentre) {
    LinkLabel* link = about->mailLink();
    const DialogUnits units(about->font());
    QFont underlined = link->font();
    underlined.setUnderline(true);
    const int textWidth = QFontMetrics(underlined).horizontalAdvance(link->text());
    EXPECT_EQ(link->width(), textWidth);
    EXPECT_LE(link->width(), units.x(70));
    // Its centre stays where the centre of its 49..119 units slot is, in a box 167 units wide.
    EXPECT_NEAR(link->geometry().center().x(), about->width() * 84.0 / 167.0, 2.0);
}

TEST_F(AboutDialogTest, LinkStartsDarkGreenAndTurnsRedUnderlinedUnderThePointer) {
    LinkLabel* link = about->webLink();
    EXPECT_EQ(link->textColour(), QColor(0, 127, 0));
    EXPECT_FALSE(link->font().underline());
    EXPECT_TRUE(paintedIn(link, QColor(0, 127, 0)));

    pointerOnto(link);
    EXPECT_TRUE(link->overControl());
    EXPECT_EQ(link->textColour(), QColor(255, 0, 0));
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(link->font().underline());
    EXPECT_TRUE(link->hoverTimerRunning());
    EXPECT_TRUE(paintedIn(link, QColor(255, 0, 0)));

    // A tick with the pointer still over the text changes nothing.
    link->setPointerSource([link] { return link->mapToGlobal(link->rect().center()); });
    link->hoverTick();
    EXPECT_TRUE(link->overControl());

    pointerAwayFrom(link);
    EXPECT_FALSE(link->overControl());
    EXPECT_FALSE(link->hoverTimerRunning());
    EXPECT_FALSE(link->font().underline());
    EXPECT_EQ(link->textColour(), QColor(0, 127, 0));
}

TEST_F(AboutDialogTest, SuccessfulOpenMakesTheLinkPurpleForTheRestOfTheBox) {
    LinkLabel* link = about->mailLink();
    pointerOnto(link);
    click(link);
    EXPECT_EQ(opener.opened, (std::vector<std::string>{"mailto:pivora@velmora.example"}));
    EXPECT_TRUE(link->visited());
    EXPECT_TRUE(messages.messages.empty());
    pointerAwayFrom(link);
    EXPECT_EQ(link->textColour(), QColor(85, 26, 139));
    EXPECT_TRUE(paintedIn(link, QColor(85, 26, 139)));
    pointerOnto(link);
    EXPECT_EQ(link->textColour(), QColor(255, 0, 0));
    EXPECT_EQ(about->webLink()->textColour(), QColor(0, 127, 0));

    // A box opened anew starts with both links unvisited.
    AboutDialog again(nullptr, opener, messages);
    EXPECT_FALSE(again.mailLink()->visited());
    EXPECT_EQ(again.mailLink()->textColour(), QColor(0, 127, 0));
}

TEST_F(AboutDialogTest, FailedOpenReportsWhyAndLeavesTheLinkUnvisited) {
    opener.result = platform::kLinkFileNotFound;
    LinkLabel* link = about->webLink();
    click(link);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Unable to open hyperlink:\n\nThe specified file was not found.");
    EXPECT_EQ(messages.messages[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_FALSE(link->visited());
    EXPECT_EQ(link->textColour(), QColor(0, 127, 0));

    // It can be clicked again, and a later success counts.
    opener.result = platform::kLinkOpened;
    click(link);
    EXPECT_TRUE(link->visited());
    EXPECT_EQ(opener.opened.size(), 2u);
}

TEST_F(AboutDialogTest, ReportLinkErrorShowsTheReasonForEachCode) {
    LinkLabel* link = about->mailLink();
    link->reportLinkError(31);
    link->reportLinkError(0);
    link->reportLinkError(1);
    ASSERT_EQ(messages.messages.size(), 3u);
    EXPECT_EQ(messages.messages[0].text,
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_EQ(messages.messages[1].text,
              "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.");
    EXPECT_EQ(messages.messages[2].text, "Unable to open hyperlink:\n\nUnknown Error (1) occurred.");
}

TEST_F(AboutDialogTest, UnderlineModesDecideTheFontAwayFromThePointer) {
    LinkLabel* link = about->webLink();
    EXPECT_EQ(link->underlineMode(), LinkLabel::UnderlineOnHover);
    link->setUnderline(LinkLabel::UnderlineAlways);
    EXPECT_TRUE(link->font().underline());
    pointerOnto(link);
    pointerAwayFrom(link);
    EXPECT_TRUE(link->font().underline());
    link->setUnderline(LinkLabel::UnderlineNever);
    EXPECT_FALSE(link->font().underline());
    pointerOnto(link);
    EXPECT_FALSE(link->font().underline());
}

}  // namespace
