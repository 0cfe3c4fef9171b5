// Runs of the real window over folders of photographs: launched, chosen, dropped.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/status_window.h"
#include "app/testing/window_fixture.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using namespace std::chrono_literals;
using windowtest::TestSettings;
using windowtest::Window;

// The photo was turned a quarter: the 64x48 camera photo is 48 wide now.
bool turned(const std::string& path) { return testsupport::readCoefficients(testsupport::readFile(path)).width == 48; }

// A drop of `path` onto the window, as a file manager makes it; whether the window took it.
bool drop(QWidget* window, const QString& path) {
    QMimeData data;
    path.isEmpty() ? data.setText("not a file") : data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint centre = window->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &dropped);
    return true;
}

// Each folder holds a camera photo and a file that is no JPEG at all.
TEST(FolderRun, AFolderLaunchedOrDroppedHasItsPhotosTurnedAndItsFailureNamed) {
    TestSettings settings("run-real");
    testsupport::TempDir launched, dropped;
    for (const testsupport::TempDir* folder : {&launched, &dropped}) {
        testsupport::writeFile(folder->file("a.jpg"), testsupport::makeCameraPhoto({}).jpeg);
        testsupport::writeFile(folder->file("broken.jpg"), {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
    }
    Window window(settings.store());
    EXPECT_EQ(window.dialog->launch(launched.path()), 1);
    EXPECT_FALSE(QFile::exists(settings.store().location())) << "a launch stores nothing";

    window.dialog->show();
    window.find<QCheckBox>("backup")->click();  // a drop runs with the switches as they stand
    EXPECT_FALSE(drop(window.dialog.get(), {}));
    ASSERT_TRUE(drop(window.dialog.get(), QString::fromStdString(dropped.path())));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.messages.messages.size() == 2; }, 10000));
    for (const testsupport::TempDir* folder : {&launched, &dropped}) {
        const platform::RecordedMessage& message = window.messages.messages[folder == &dropped];
        EXPECT_EQ(message.text, "\n\n2 files read, of which 1 files successfully rotated\n\n"
                                "1 file could not be rotated; the details name each with the reason\n\n");
        EXPECT_EQ(message.details.rfind(folder->file("broken.jpg") + ": not a JPEG file", 0), 0u) << message.details;
        EXPECT_TRUE(turned(folder->file("a.jpg")));
        EXPECT_EQ(testsupport::fileExists(folder->file("a.jpg.bak")), folder == &dropped);
    }
}

TEST(FolderRun, WhileAPhotoIsTurnedTheWindowShowsTheProgressAndCancelStopsTheRun) {
    TestSettings settings("run-cancel");
    testsupport::TempDir photos;
    for (int i = 0; i < 6; ++i) testsupport::writeFile(photos.file("p" + std::to_string(i) + ".jpg"), {0});
    std::atomic<int> handed{0};
    std::atomic<bool> release{false};
    // The first photo takes until the window has been looked at and Cancel pressed.
    Window window(settings.store(), [&](const std::string&, const ProcessingOptions&, platform::StatusLine&) {
        if (++handed == 1)
            for (int tick = 0; !release && tick < 2000; ++tick) std::this_thread::sleep_for(5ms);
        RotateResult rotated;
        rotated.outcome = FileOutcome::Rotated;
        return rotated;
    }, 1);
    MainDialog& dialog = *window.dialog;
    StatusWindow* status = dialog.statusWindow();
    QStringList seen;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (status->countText().isEmpty() || status->statusText().isEmpty()) return;
        look.stop();
        for (const char* name : {"processOneFile", "processFolder", "exit", "backup"})
            if (window.find<QWidget>(name)->isEnabled()) seen << name;
        if (status->isVisible()) seen << status->windowTitle() << windowtest::shownTexts(*status);
        const QCursor* cursor = QApplication::overrideCursor();
        if (cursor && cursor->shape() == Qt::WaitCursor) seen << "wait";
        QTest::keyClick(&dialog, Qt::Key_Escape);  // refused while the run holds the window
        if (dialog.isVisible()) seen << "visible";
        status->cancelButton()->click();
        release = true;
    });
    look.start(5);
    window.choosers.folderAnswer = photos.path();
    dialog.show();
    window.find<QPushButton>("processFolder")->click();
    ASSERT_EQ(seen.size(), 8) << seen.join('|').toStdString();
    EXPECT_EQ(seen.mid(0, 4), (QStringList{"backup", "Pivora - Status", "0 of 6", seen[3]}));
    EXPECT_TRUE(seen[3].startsWith("Processing file " + QString::fromStdString(photos.path()) + "/p"));
    EXPECT_EQ(seen.mid(4), (QStringList{"Please wait ...", "Cancel", "wait", "visible"}));
    EXPECT_EQ(handed, 1) << "no file starts after Cancel";
    const std::string cancelled = window.messages.texts().at(0);
    EXPECT_NE(cancelled.find("\n\n1 files read, of which 1 files successfully"), std::string::npos) << cancelled;
    EXPECT_TRUE(window.find<QPushButton>("exit")->isEnabled());
    EXPECT_FALSE(status->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    window.find<QPushButton>("processFolder")->click();
    EXPECT_EQ(handed, 7) << "the next run starts afresh and turns the whole folder";
    EXPECT_EQ(window.messages.texts().back(), "\n\n6 files read, of which 6 files successfully rotated\n\n");
}

}  // namespace
