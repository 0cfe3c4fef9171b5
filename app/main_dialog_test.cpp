// The main window driven as a user would: its controls, keys, switches and their settings.
#include "app/main_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include "app/about_dialog.h"
#include "app/dialog_units.h"
#include "app/help_window.h"
#include "app/shell/options_store.h"
#include "app/status_window.h"
#include "app/testing/window_fixture.h"

namespace {

using windowtest::TestSettings;
using windowtest::Window;

template <typename Control>
Control* find(const Window& window, const char* name) {
    auto* control = window.dialog->findChild<Control*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
}

int stored(TestSettings& settings, const char* name) {
    return settings.store().readInt(shell::kSettingsSection, name, -99);
}

TEST(MainDialog, HasTheControlsTextsAndIdsOfTheWindow) {
    TestSettings settings("main-controls");
    Window window(settings.store());
    EXPECT_EQ(window.dialog->windowTitle(), "Pivora");
    const struct {
        const char* name;
        const char* text;
        int id;
    } buttons[] = {{"processOneFile", "Process one JPEG &file", 1002},
                   {"processFolder", "Process all JPEG files in f&older", 1},
                   {"exit", "Exit", 2},
                   {"info", "&Info", 1008},
                   {"help", "&Help", 1009}};
    for (const auto& expected : buttons) {
        auto* button = find<QPushButton>(window, expected.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), expected.text);
        EXPECT_EQ(button->property("controlId").toInt(), expected.id);
        EXPECT_EQ(button->isDefault(), expected.id == 1002) << expected.name;
    }
    EXPECT_EQ(find<QGroupBox>(window, "settingsGroup")->title(), "Settings ");
    EXPECT_EQ(find<QCheckBox>(window, "backup")->text(), "Backup original file");
    EXPECT_EQ(find<QCheckBox>(window, "subfolders")->text(), "Process subfolders too");
    EXPECT_EQ(find<QCheckBox>(window, "exifTimestamp")->text(), "Set file timestamp to EXIF timestamp");
    EXPECT_EQ(find<QCheckBox>(window, "exifTimestamp")->property("controlId").toInt(), 1005);

    // Proportions of the window: 320 x 113 units, the Exit button below the two commands.
    const DialogUnits units(window.dialog->font());
    EXPECT_EQ(window.dialog->height(), units.y(113));
    EXPECT_GE(window.dialog->width(), units.x(320));
    const QRect exit = find<QPushButton>(window, "exit")->geometry();
    EXPECT_EQ(exit.top(), units.y(84));
    EXPECT_GT(exit.top(), find<QPushButton>(window, "processFolder")->geometry().bottom());
    for (auto* box : window.dialog->findChildren<QCheckBox*>()) {
        EXPECT_GE(box->width(), box->sizeHint().width()) << box->text().toStdString();
    }

    // The about entry of the window's context menu.
    auto* about = window.dialog->findChild<QAction*>("aboutAction");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About Pivora...");
    EXPECT_EQ(window.dialog->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_TRUE(window.dialog->actions().contains(about));
}

TEST(MainDialog, FirstStartShowsBackupOffSubfoldersOffTimestampOn) {
    TestSettings settings("main-first-start");
    Window window(settings.store());
    EXPECT_FALSE(find<QCheckBox>(window, "backup")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(window, "subfolders")->isChecked());
    EXPECT_TRUE(find<QCheckBox>(window, "exifTimestamp")->isChecked());
    EXPECT_EQ(window.dialog->options().EXIFTimestamp, 1);
}

TEST(MainDialog, StoredBackupOfFiveShowsUncheckedAndExitStoresZero) {
    TestSettings settings("main-backup-five");
    settings.store().writeInt("Settings", "Backup", 5);
    settings.store().writeInt("Settings", "bSubfolders", 2);
    Window window(settings.store());
    EXPECT_FALSE(find<QCheckBox>(window, "backup")->isChecked());
    EXPECT_EQ(window.dialog->options().Backup, 0);
    EXPECT_TRUE(find<QCheckBox>(window, "subfolders")->isChecked());
    window.dialog->show();
    find<QPushButton>(window, "exit")->click();
    EXPECT_EQ(stored(settings, "Backup"), 0);
    EXPECT_EQ(stored(settings, "bSubfolders"), 1);
    EXPECT_EQ(stored(settings, "EXIFTimestamp"), 1);
}

TEST(MainDialog, EnterStartsTheOneFileCommandWhichSavesTheSwitchesFirst) {
    TestSettings settings("main-enter");
    Window window(settings.store());
    window.dialog->show();
    auto* backup = find<QCheckBox>(window, "backup");
    backup->click();
    backup->setFocus();
    QTest::keyClick(backup, Qt::Key_Return);
    ASSERT_EQ(window.choosers.fileStarts.size(), 1u);  // the chooser came up and was cancelled
    EXPECT_TRUE(window.choosers.folderStarts.empty());
    EXPECT_EQ(stored(settings, "Backup"), 1);
    EXPECT_TRUE(window.dialog->isVisible());
    EXPECT_TRUE(window.messages.messages.empty());
}

TEST(MainDialog, FolderButtonSavesTheSwitchesAndAsksForAFolder) {
    TestSettings settings("main-folder-button");
    Window window(settings.store());
    window.dialog->show();
    find<QCheckBox>(window, "subfolders")->click();
    find<QPushButton>(window, "processFolder")->click();
    EXPECT_EQ(window.choosers.folderStarts.size(), 1u);
    EXPECT_EQ(stored(settings, "bSubfolders"), 1);
}

TEST(MainDialog, EscapeAndTheCloseControlActAsExitAndStoreToggledSwitches) {
    {
        TestSettings settings("main-escape");
        Window window(settings.store());
        window.dialog->show();
        find<QCheckBox>(window, "exifTimestamp")->click();
        QTest::keyClick(window.dialog.get(), Qt::Key_Escape);
        EXPECT_FALSE(window.dialog->isVisible());
        EXPECT_EQ(window.dialog->result(), QDialog::Rejected);
        EXPECT_EQ(window.dialog->statusWindow(), nullptr);
        EXPECT_EQ(stored(settings, "EXIFTimestamp"), 0);
    }
    {
        TestSettings settings("main-close");
        Window window(settings.store());
        window.dialog->show();
        find<QCheckBox>(window, "subfolders")->click();
        EXPECT_TRUE(window.dialog->close());
        EXPECT_FALSE(window.dialog->isVisible());
        EXPECT_EQ(stored(settings, "bSubfolders"), 1);
    }
}

TEST(MainDialog, NothingIsStoredBeforeACommandOrExit) {
    TestSettings settings("main-no-store");
    Window window(settings.store());
    window.dialog->show();
    find<QCheckBox>(window, "backup")->click();
    EXPECT_EQ(stored(settings, "Backup"), -99);
}

TEST(MainDialog, DuringARunTheCommandsAndExitAreOffWhileSwitchesStayLive) {
    TestSettings settings("main-during-run");
    struct Seen {
        bool oneFile, folder, exit, backup, statusVisible, waitCursor, visibleAfterEscape;
        QString statusTitle;
    } seen{};
    Window* current = nullptr;
    Window window(settings.store(), [&](const std::string&, const ProcessingOptions&, platform::StatusLine&) {
        MainDialog& dialog = *current->dialog;
        seen.oneFile = dialog.findChild<QPushButton*>("processOneFile")->isEnabled();
        seen.folder = dialog.findChild<QPushButton*>("processFolder")->isEnabled();
        seen.exit = dialog.findChild<QPushButton*>("exit")->isEnabled();
        seen.backup = dialog.findChild<QCheckBox*>("backup")->isEnabled();
        seen.statusVisible = dialog.statusWindow()->isVisible();
        seen.statusTitle = dialog.statusWindow()->windowTitle();
        seen.waitCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        QTest::keyClick(&dialog, Qt::Key_Escape);  // refused while the run holds the window
        seen.visibleAfterEscape = dialog.isVisible();
        return 1;
    });
    current = &window;
    window.choosers.fileAnswer = "/photos/a.jpg";
    window.dialog->show();
    find<QPushButton>(window, "processOneFile")->click();

    EXPECT_FALSE(seen.oneFile);
    EXPECT_FALSE(seen.folder);
    EXPECT_FALSE(seen.exit);
    EXPECT_TRUE(seen.backup);
    EXPECT_TRUE(seen.statusVisible);
    EXPECT_EQ(seen.statusTitle, "Pivora - Status");
    EXPECT_TRUE(seen.waitCursor);
    EXPECT_TRUE(seen.visibleAfterEscape);
    // Afterwards everything is back, and the result was reported.
    EXPECT_TRUE(find<QPushButton>(window, "exit")->isEnabled());
    EXPECT_FALSE(window.dialog->statusWindow()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(window.messages.messages.size(), 1u);
    EXPECT_EQ(window.messages.messages[0].text, "\n\nFile /photos/a.jpg successfully rotated\n\n");
}

TEST(MainDialog, InfoAndTheContextMenuEntryOpenTheAboutBox) {
    TestSettings settings("main-about");
    Window window(settings.store());
    window.dialog->show();
    for (const std::function<void()>& open :
         {std::function<void()>([&] { find<QPushButton>(window, "info")->click(); }),
          std::function<void()>([&] { window.dialog->findChild<QAction*>("aboutAction")->trigger(); })}) {
        QString title;
        QWidget* parent = nullptr;
        windowtest::withNextModal(open, [&](QWidget* modal) {
            ASSERT_NE(qobject_cast<AboutDialog*>(modal), nullptr);
            title = modal->windowTitle();
            parent = modal->parentWidget();
        });
        EXPECT_EQ(title, "About Pivora");
        EXPECT_EQ(parent, window.dialog.get());
    }
}

TEST(MainDialog, HelpShowsTheHelpDocumentNextToTheProgramAtItsTop) {
    TestSettings settings("main-help");
    Window window(settings.store());
    window.dialog->show();
    find<QPushButton>(window, "help")->click();
    HelpWindow* help = window.dialog->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->parentWidget(), window.dialog.get());
    EXPECT_EQ(help->shownFile(), QCoreApplication::applicationDirPath() + "/PIVORA.HLP");
    const QString text = help->browser()->toPlainText();
    for (const char* topic : {"Backup original file", "Process subfolders too", "Set file timestamp to EXIF timestamp",
                              "Process one JPEG file", "Process all JPEG files in folder", "pivora PATH"}) {
        EXPECT_TRUE(text.contains(topic)) << topic;
    }
    EXPECT_EQ(help->browser()->textCursor().position(), 0);

    // Asked again after scrolling, it opens at the top again.
    help->browser()->moveCursor(QTextCursor::End);
    find<QPushButton>(window, "help")->click();
    EXPECT_EQ(window.dialog->helpWindow(), help);
    EXPECT_EQ(help->browser()->textCursor().position(), 0);
}

TEST(HelpWindow, MissingDocumentSaysWhereItWasLookedFor) {
    HelpWindow help(nullptr);
    help.showDocument({"/nowhere/PIVORA.HLP", "/also/not/here/PIVORA.HLP"});
    EXPECT_TRUE(help.shownFile().isEmpty());
    EXPECT_TRUE(help.browser()->toPlainText().contains("/also/not/here/PIVORA.HLP"));
}

}  // namespace
