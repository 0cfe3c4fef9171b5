// The main window driven as a user would: its controls, keys, switches and their settings.
#include "app/main_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "app/about_dialog.h"
#include "app/help_window.h"
#include "app/review_window.h"
#include "tests/support/files.h"
#include "app/testing/window_fixture.h"

namespace {

using windowtest::TestSettings;
using windowtest::Window;

// Every button and switch has an Alt letter of its own; the window has a fixed size and no
// minimise or maximise control.
TEST(MainDialog, ShowsItsControlsEachWithItsOwnAltLetterAndOpensAbout) {
    TestSettings settings("main-controls");
    Window window(settings.store());
    EXPECT_EQ(window.dialog->windowTitle(), "Pivora");
    const QString drop = "\nDrop JPEG files or folders here to turn them.";
    EXPECT_EQ(windowtest::shownTexts(*window.dialog),
              (QStringList{"Turns JPEG photos a quarter turn counter-clockwise, without loss." + drop,
                           "Process one JPEG &file", "Process all JPEG files in f&older", "&Review photos in folder...",
                           "E&xit", "Settings ",
                           "&Backup original file", "Process &subfolders too", "Set file timestamp to &EXIF timestamp",
                           "&Turn by the camera's orientation tag", "Refuse photos that would lose an e&dge strip",
                           "&Keep originals in the Trash", "&Info", "&Help"}));
    QStringList letters, without;
    for (QAbstractButton* button : window.dialog->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        const int at = button->text().indexOf('&');
        at < 0 ? without << button->text() : letters << button->text().mid(at + 1, 1).toLower();
    }
    EXPECT_EQ(without, QStringList());
    EXPECT_EQ(letters.removeDuplicates(), 0) << letters.join(' ').toStdString();
    EXPECT_FALSE(window.dialog->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(window.dialog->minimumSize(), window.dialog->maximumSize());
    window.find<QCheckBox>("autoOrient")->click();
    EXPECT_EQ(window.find<QLabel>("description")->text(),
              "Turns JPEG photos upright by their camera's orientation tag, without loss." + drop);
    auto* about = window.dialog->findChild<QAction*>("aboutAction");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About Pivora...");
    EXPECT_EQ(window.dialog->contextMenuPolicy(), Qt::ActionsContextMenu);

    window.dialog->show();
    int boxes = 0;
    const auto countBox = [&boxes](QWidget* modal) { boxes += qobject_cast<AboutDialog*>(modal) ? 1 : 0; };
    windowtest::withNextModal([&] { window.find<QPushButton>("info")->click(); }, countBox);
    windowtest::withNextModal([&] { about->trigger(); }, countBox);
    EXPECT_EQ(boxes, 2);
}

TEST(MainDialog, SwitchesAreStoredByEnterEscapeExitOrCloseOnly) {
    TestSettings settings("main-switches");
    settings.store().writeInt("Settings", "Backup", 5);
    settings.store().writeInt("Settings", "AutoOrient", 1);
    Window window(settings.store());
    QCheckBox* backup = window.find<QCheckBox>("backup");
    QCheckBox* subfolders = window.find<QCheckBox>("subfolders");
    QCheckBox* timestamp = window.find<QCheckBox>("exifTimestamp");
    QCheckBox* autoOrient = window.find<QCheckBox>("autoOrient");
    QCheckBox* refuseEdgeStrip = window.find<QCheckBox>("refuseEdgeStrip");
    const auto stored = [&](const char* name) { return settings.store().readInt("Settings", name, -99); };
    EXPECT_FALSE(backup->isChecked() || subfolders->isChecked() || refuseEdgeStrip->isChecked());
    EXPECT_TRUE(timestamp->isChecked() && autoOrient->isChecked());
    window.dialog->show();
    subfolders->click();
    autoOrient->click();
    refuseEdgeStrip->click();
    EXPECT_EQ(stored("bSubfolders"), -99);
    backup->setFocus();
    QTest::keyClick(backup, Qt::Key_Return);
    EXPECT_EQ(window.choosers.fileStarts.size(), 1u) << "the one-file chooser came up (and was cancelled)";
    EXPECT_EQ(stored("Backup"), 0);
    EXPECT_EQ(stored("bSubfolders"), 1);
    EXPECT_EQ(stored("AutoOrient"), 0);
    EXPECT_EQ(stored("RefuseEdgeStrip"), 1);

    const std::function<void()> exits[] = {[&] { QTest::keyClick(window.dialog.get(), Qt::Key_Escape); },
                                           [&] { window.find<QPushButton>("exit")->click(); },
                                           [&] { window.dialog->close(); }};
    for (const auto& exit : exits) {
        window.dialog->show();
        timestamp->click();
        exit();
        EXPECT_FALSE(window.dialog->isVisible());
        EXPECT_EQ(stored("EXIFTimestamp"), timestamp->isChecked() ? 1 : 0);
    }
}

TEST(MainDialog, KeyboardReachesEverySwitchTabsInLayoutOrderOpensAndClosesHelpAndExits) {
    TestSettings settings("main-keyboard");
    Window window(settings.store());
    window.dialog->show();
    QApplication::setActiveWindow(window.dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.dialog.get()));
    for (const auto& [key, name] : {std::pair{Qt::Key_B, "backup"}, {Qt::Key_S, "subfolders"},
                                    {Qt::Key_E, "exifTimestamp"}, {Qt::Key_T, "autoOrient"},
                                    {Qt::Key_D, "refuseEdgeStrip"}, {Qt::Key_K, "trashOriginal"}}) {
        QCheckBox* box = window.find<QCheckBox>(name);
        const bool before = box->isChecked();
        QTest::keyClick(window.dialog.get(), key, Qt::AltModifier);  // clicks the box a moment later
        EXPECT_TRUE(QTest::qWaitFor([&] { return box->isChecked() != before; }, 2000)) << name;
    }

    QStringList order;
    window.find<QWidget>("backup")->setFocus();
    for (int i = 0; i < 13; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"backup", "subfolders", "exifTimestamp", "autoOrient", "refuseEdgeStrip",
                                  "trashOriginal", "processOneFile", "processFolder", "reviewFolder", "info", "help",
                                  "exit", "backup"}));

    QTest::keyClick(window.dialog.get(), Qt::Key_F1);
    HelpWindow* help = window.dialog->helpWindow();
    ASSERT_TRUE(help && help->isVisible() && help->browser()->toPlainText().contains("Process subfolders too"));
    for (const QKeySequence& close : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        window.find<QPushButton>("help")->click();
        QApplication::setActiveWindow(help);
        ASSERT_TRUE(QTest::qWaitForWindowActive(help));
        QTest::keySequence(help->browser(), close);
        EXPECT_FALSE(help->isVisible()) << close.toString().toStdString();
    }
    EXPECT_TRUE(window.dialog->isVisible()) << "Escape in the help window leaves the main window open";
    QTest::keyClick(window.dialog.get(), Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.dialog->isVisible(); }, 2000)) << "Alt+X is Exit";
}

// The review command and `pivora --review` open the review of the folder the chooser gives (or
// the one named), with the switches in force; a path that is neither file nor folder is refused.
TEST(MainDialog, TheReviewOpensOnTheChosenOrNamedFolder) {
    TestSettings settings("main-review");
    testsupport::TempDir photos;
    testsupport::writeFile(photos.file("a.jpg"), {'x'});
    Window window(settings.store());
    window.choosers.folderAnswer = photos.path();
    window.find<QCheckBox>("autoOrient")->click();
    QStringList seen;
    const auto look = [&](QWidget* modal) {
        auto* review = qobject_cast<ReviewWindow*>(modal);
        seen << (review ? QString::number(review->plan().size()) + (review->plan().photo(0).planned.upright ? " upright" : "")
                        : QString("none"));
    };
    window.dialog->show();
    windowtest::withNextModal([&] { window.find<QPushButton>("reviewFolder")->click(); }, look);
    EXPECT_EQ(settings.store().readText("Settings", "InitDir", ""), photos.path()) << "chosen as the folder command chooses";
    EXPECT_EQ(settings.store().readInt("Settings", "AutoOrient", -1), 1) << "the switches were saved";
    windowtest::withNextModal([&] { EXPECT_EQ(window.dialog->launchReview(photos.path()), 0); }, look);
    EXPECT_EQ(seen, (QStringList{"1 upright", "1 upright"}));
    EXPECT_EQ(window.dialog->launchReview("/no/such/folder"), 1);
    EXPECT_EQ(window.messages.texts().back(), "Not file or path: /no/such/folder");
    window.choosers.folderAnswer.reset();
    EXPECT_EQ(window.dialog->launchReview(""), 0) << "the chooser was cancelled";
    EXPECT_EQ(window.choosers.folderStarts.size(), 2u);
}

}  // namespace
