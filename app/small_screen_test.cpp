// Every window on a 1280x800 screen at a scale factor of 2, which leaves 640 by 400 pixels to
// lay windows out in. Run as the test "SmallScreen" with QT_SCALE_FACTOR=2 on an offscreen
// screen of that size that tells no window frames, as a desktop before it has framed a window.
#include <gtest/gtest.h>

#include <QScreen>

#include "app/about_dialog.h"
#include "app/file_chooser.h"
#include "app/folder_chooser.h"
#include "app/help_window.h"
#include "app/status_window.h"
#include "app/testing/window_fixture.h"
#include "platform/qt/message_box_sink.h"
#include "platform/qt/screen_fit.h"

TEST(SmallScreen, EveryWindowFitsWithRoomForItsFrame) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area.size(), QSize(640, 400)) << "meant for QT_SCALE_FACTOR=2 on the 1280x800 test screen";
    windowtest::TestSettings settings("small-screen");
    windowtest::Window window(settings.store());
    int looked = 0;
    const auto fits = [&](QWidget* shown) {
        ASSERT_NE(shown, nullptr);
        ++looked;
        QCoreApplication::processEvents();
        const QRect framed = shown->geometry().marginsAdded(platform::kAssumedFrame);
        EXPECT_TRUE(area.contains(framed)) << shown->metaObject()->className() << " at " << framed.x() << ","
                                           << framed.y() << " " << framed.width() << "x" << framed.height();
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
    const std::string longPath = "/home/ann/Pictures/" + std::string(20, 'x') + "/" + std::string(150, 'y') + ".jpg";
    platform::MessageBoxSink boxes(window.dialog.get());
    windowtest::withNextModal(
        [&] { boxes.showWithDetails("\n\nFile " + longPath + " could not be rotated\n\n", {}, longPath); }, fits);
    EXPECT_EQ(looked, 7);
}
