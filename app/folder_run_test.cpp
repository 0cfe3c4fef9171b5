// Runs of the real window over folders of photographs.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTest>

#include "app/status_window.h"
#include "app/testing/window_fixture.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using Texts = std::vector<std::string>;
using windowtest::TestSettings;
using windowtest::Window;

TEST(FolderRun, LaunchWithAFolderOfPhotosRotatesThemAndReportsTheCounts) {
    TestSettings settings("run-launch-folder");
    testsupport::TempDir photos;
    for (const char* name : {"a.jpg", "b.JPG", "c.jpg", "left-out.jpeg"})
        testsupport::writeFile(photos.file(name), testsupport::makeCameraPhoto({}).jpeg);
    testsupport::writeFile(photos.file("broken.jpg"), {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
    Window window(settings.store());
    EXPECT_TRUE(window.dialog->launch(photos.path()));
    EXPECT_EQ(window.messages.texts(), Texts{"\n\n4 files read, of which 3 files successfully rotated\n\n"});
    for (const char* name : {"a.jpg", "b.JPG", "c.jpg"})
        EXPECT_EQ(testsupport::readCoefficients(testsupport::readFile(photos.file(name))).width, 48) << name;
    EXPECT_FALSE(QFile::exists(settings.store().location())) << "a launch stores nothing";
}

TEST(FolderRun, DuringARunOnlySwitchesAndCancelAreLiveAndCancelStopsTheWalk) {
    TestSettings settings("run-cancel");
    testsupport::TempDir photos;
    for (int i = 0; i < 6; ++i) testsupport::writeFile(photos.file("p" + std::to_string(i) + ".jpg"), {0});
    QStringList seen;
    int handed = 0;
    Window* current = nullptr;
    Window window(settings.store(), [&](const std::string&, const ProcessingOptions&, platform::StatusLine&) {
        MainDialog& dialog = *current->dialog;
        StatusWindow* status = dialog.statusWindow();
        if (++handed == 1) {
            for (const char* name : {"processOneFile", "processFolder", "exit", "backup"})
                if (current->find<QWidget>(name)->isEnabled()) seen << name;
            if (status->isVisible()) seen << status->windowTitle() << windowtest::shownTexts(*status);
            const QCursor* cursor = QApplication::overrideCursor();
            if (cursor && cursor->shape() == Qt::WaitCursor) seen << "wait";
            QTest::keyClick(&dialog, Qt::Key_Escape);  // refused while the run holds the window
            if (dialog.isVisible()) seen << "visible";
        }
        // Cancel pressed during the second file is handled in the next pump, between files.
        if (handed == 2) QMetaObject::invokeMethod(status->cancelButton(), &QPushButton::click, Qt::QueuedConnection);
        RotateResult rotated;
        rotated.outcome = FileOutcome::Rotated;
        return rotated;
    });
    current = &window;
    window.choosers.folderAnswer = photos.path();
    window.dialog->show();
    window.find<QPushButton>("processFolder")->click();
    EXPECT_EQ(seen, (QStringList{"backup", "Pivora - Status", "", "Please wait ...", "Cancel", "wait", "visible"}));
    EXPECT_EQ(handed, 2);
    EXPECT_EQ(window.messages.texts(), Texts{"\n\n2 files read, of which 2 files successfully rotated\n\n"});
    EXPECT_TRUE(window.find<QPushButton>("exit")->isEnabled());
    EXPECT_FALSE(window.dialog->statusWindow()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    window.find<QPushButton>("processFolder")->click();
    EXPECT_EQ(handed, 8) << "the next run starts afresh and walks the whole folder";
}

}  // namespace
