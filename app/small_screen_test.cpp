// Every window on a 1280x800 screen at a scale factor of 2, which leaves 640 by 400 pixels to
// lay windows out in. Run as the test "SmallScreen" with QT_SCALE_FACTOR=2 on an offscreen
// screen of that size that tells no window frames, as a desktop before it has framed a window.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QScreen>

#include "app/file_chooser.h"
#include "app/folder_chooser.h"
#include "app/help_window.h"
#include "app/review_window.h"
#include "app/status_window.h"
#include "app/testing/window_fixture.h"
#include "platform/qt/message_box_sink.h"
#include "platform/qt/screen_fit.h"
#include "tests/support/files.h"

TEST(SmallScreen, EveryWindowFitsWithRoomForItsFrame) {
    if (qEnvironmentVariable("QT_SCALE_FACTOR") != "2") GTEST_SKIP() << "run by ctest on its small screen";
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area.size(), QSize(640, 400)) << "the 1280x800 test screen at a scale factor of 2";
    windowtest::TestSettings settings("small-screen");
    windowtest::Window window(settings.store());
    QStringList misplaced;
    const auto fits = [&](QWidget* shown) {
        QCoreApplication::processEvents();
        if (!shown || !area.contains(shown->geometry().marginsAdded(platform::kAssumedFrame)))
            misplaced << (shown ? shown->metaObject()->className() : "none");
    };
    window.dialog->show();
    fits(window.dialog.get());
    windowtest::withNextModal([&] { window.dialog->showAbout(); }, fits);
    window.dialog->showHelp();
    fits(window.dialog->helpWindow());
    window.dialog->statusWindow()->show();
    fits(window.dialog->statusWindow());
    FileChooser files(window.dialog.get());
    configureFileChooser(files, "/");
    files.show();
    fits(&files);
    FolderChooser folders(window.dialog.get(), "/");
    folders.show();
    fits(&folders);
    testsupport::TempDir photos;
    platform::RecordingMessageSink quiet;
    ReviewWindow review(photos.path(), ProcessingOptions{}, ReviewServices{&quiet, {}, 1}, window.dialog.get());
    review.show();
    fits(&review);

    // A failure naming a long path, in the real message box: with its icon and details, on the screen.
    const std::string path = "/home/ann/Pictures/" + std::string(20, 'x') + "/" + std::string(150, 'y') + ".jpg";
    platform::MessageBoxSink boxes(window.dialog.get());
    windowtest::withNextModal([&] { boxes.showWithDetails("File " + path, platform::MessageIcon::Warning, path); },
                              [&](QWidget* shown) {
                                  fits(shown);
                                  auto* box = qobject_cast<QMessageBox*>(shown);
                                  ASSERT_NE(box, nullptr);
                                  EXPECT_EQ(box->windowTitle(), "Pivora");
                                  EXPECT_EQ(box->icon(), QMessageBox::Warning);
                                  EXPECT_EQ(box->detailedText().toStdString(), path);
                              });
    EXPECT_TRUE(misplaced.isEmpty()) << misplaced.join(" ").toStdString();
}
