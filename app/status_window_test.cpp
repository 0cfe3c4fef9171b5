#include "app/status_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "workflow/run_state.h"

namespace {

TEST(StatusWindow, HasItsTitleLineLabelAndCancel) {
    StatusWindow window(nullptr);
    EXPECT_EQ(window.windowTitle(), "Pivora - Status");
    auto* line = window.findChild<QLabel*>("statusLine");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->property("controlId").toInt(), 1000);
    EXPECT_TRUE(line->text().isEmpty());
    EXPECT_TRUE(line->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(window.findChild<QLabel*>("pleaseWait")->text(), "Please wait ...");
    EXPECT_EQ(window.cancelButton()->text(), "Cancel");
    EXPECT_EQ(window.cancelButton()->property("controlId").toInt(), 2);
}

TEST(StatusWindow, StatusLineShowsTheTextAtOnce) {
    StatusWindow window(nullptr);
    window.QDialog::show();
    platform::StatusLine& status = window;
    status.show("Processing file /photos/a.jpg");
    EXPECT_EQ(window.statusText(), "Processing file /photos/a.jpg");
    EXPECT_EQ(window.findChild<QLabel*>("statusLine")->text(), "Processing file /photos/a.jpg");

    // A path too long for the line keeps its start and its file name.
    const std::string longPath = "/photos/" + std::string(400, 'x') + "/last-picture.jpg";
    status.show("Processing file " + longPath);
    const QString shown = window.findChild<QLabel*>("statusLine")->text();
    EXPECT_TRUE(shown.startsWith("Processing file"));
    EXPECT_TRUE(shown.endsWith("last-picture.jpg"));
    EXPECT_LT(shown.size(), static_cast<int>(longPath.size()));
}

TEST(StatusWindow, CancelEscapeAndCloseOnlyAskTheWalkToStop) {
    StatusWindow window(nullptr);
    window.QDialog::show();
    cancelRequested = 0;
    window.cancelButton()->click();
    EXPECT_EQ(cancelRequested, 1);
    EXPECT_TRUE(window.isVisible());

    cancelRequested = 0;
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(cancelRequested, 1);
    EXPECT_TRUE(window.isVisible());

    cancelRequested = 0;
    EXPECT_FALSE(window.close());
    EXPECT_EQ(cancelRequested, 1);
    EXPECT_TRUE(window.isVisible());

    cancelRequested = 0;
    window.cancelButton()->setFocus();
    QTest::keyClick(window.cancelButton(), Qt::Key_Return);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(cancelRequested, 0);  // Enter has no role here
    cancelRequested = 0;
}

}  // namespace
