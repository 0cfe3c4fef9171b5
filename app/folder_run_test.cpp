// Runs of the real window over folders of real photographs.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QSettings>

#include "app/status_window.h"
#include "app/testing/window_fixture.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"
#include "workflow/rotate_jpeg_file.h"

namespace {

using windowtest::TestSettings;
using windowtest::Window;

void writePhoto(const std::string& path, std::uint32_t seed) {
    testsupport::CameraPhotoSpec spec;
    spec.width = 64;
    spec.height = 48;
    spec.seed = seed;
    testsupport::writeFile(path, testsupport::makeCameraPhoto(spec).jpeg);
}

TEST(FolderRun, LaunchWithAFolderOfPhotosRotatesThemAndReportsTheCounts) {
    TestSettings settings("run-launch-folder");
    testsupport::TempDir photos;
    writePhoto(photos.file("a.jpg"), 1);
    writePhoto(photos.file("b.JPG"), 2);
    writePhoto(photos.file("c.jpg"), 3);
    testsupport::writeFile(photos.file("broken.jpg"), {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
    writePhoto(photos.file("left-out.jpeg"), 4);
    testsupport::writeFile(photos.file("notes.txt"), {'h', 'i'});
    const auto leftOutBefore = testsupport::readFile(photos.file("left-out.jpeg"));

    Window window(settings.store());
    EXPECT_TRUE(window.dialog->launch(photos.path()));

    ASSERT_EQ(window.messages.messages.size(), 1u);
    EXPECT_EQ(window.messages.messages[0].text, "\n\n4 files read, of which 3 files successfully rotated\n\n");
    for (const char* name : {"a.jpg", "b.JPG", "c.jpg"}) {
        const auto turned = testsupport::readCoefficients(testsupport::readFile(photos.file(name)));
        EXPECT_EQ(turned.width, 48) << name;
        EXPECT_EQ(turned.height, 64) << name;
    }
    EXPECT_EQ(testsupport::readFile(photos.file("left-out.jpeg")), leftOutBefore);
    EXPECT_EQ(window.dialog->result(), 0);
    EXPECT_FALSE(window.dialog->isVisible());
    // A launch stores nothing.
    EXPECT_FALSE(QFile::exists(settings.store().location()));
}

TEST(FolderRun, LaunchWithAFileShowsNothingOnSuccessAndMessage104OnFailure) {
    TestSettings settings("run-launch-file");
    testsupport::TempDir photos;
    writePhoto(photos.file("one photo.jpg"), 5);
    testsupport::writeFile(photos.file("bad.jpg"), {0xFF, 0xD8, 0xFF});

    Window window(settings.store());
    EXPECT_TRUE(window.dialog->launch("\"" + photos.file("one photo.jpg") + "\""));
    EXPECT_TRUE(window.messages.messages.empty());
    EXPECT_EQ(testsupport::readCoefficients(testsupport::readFile(photos.file("one photo.jpg"))).width, 48);

    EXPECT_TRUE(window.dialog->launch(photos.file("bad.jpg")));
    ASSERT_EQ(window.messages.messages.size(), 1u);
    EXPECT_EQ(window.messages.messages[0].text, "\n\nFile " + photos.file("bad.jpg") + " could not be rotated\n\n");
}

TEST(FolderRun, LaunchWithoutAPathOffersTheWindowAndAnythingElseIsNotFileOrPath) {
    TestSettings settings("run-launch-other");
    Window window(settings.store());
    EXPECT_FALSE(window.dialog->launch(""));
    EXPECT_FALSE(window.dialog->launch("\""));
    EXPECT_TRUE(window.messages.messages.empty());
    EXPECT_TRUE(window.dialog->launch("/no/such/photo.jpg"));
    ASSERT_EQ(window.messages.messages.size(), 1u);
    EXPECT_EQ(window.messages.messages[0].text, "Not file or path");
}

TEST(FolderRun, CancelInTheStatusWindowStopsTheWalkAfterTheFileInHand) {
    TestSettings settings("run-cancel");
    testsupport::TempDir photos;
    for (int i = 0; i < 6; ++i) testsupport::writeFile(photos.file("p" + std::to_string(i) + ".jpg"), {0});
    Window* current = nullptr;
    int handed = 0;
    Window window(settings.store(), [&](const std::string& path, const ProcessingOptions&,
                                        platform::StatusLine& status) {
        status.show("Processing file " + path);
        if (++handed == 2) {
            // The user presses Cancel while the second file is worked on; the press is
            // handled in the next pump, between files.
            QPushButton* cancel = current->dialog->statusWindow()->cancelButton();
            QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::QueuedConnection);
        }
        return 1;
    });
    current = &window;
    window.choosers.folderAnswer = photos.path();
    window.dialog->show();
    window.dialog->processFolder();

    EXPECT_EQ(handed, 2);
    EXPECT_EQ(window.dialog->commands().counters().filesRead, 2);
    ASSERT_EQ(window.messages.messages.size(), 1u);
    EXPECT_EQ(window.messages.messages[0].text, "\n\n2 files read, of which 2 files successfully rotated\n\n");
    EXPECT_TRUE(window.dialog->isVisible());
    EXPECT_FALSE(window.dialog->statusWindow()->isVisible());
    EXPECT_EQ(settings.store().readText("Settings", "InitDir", ""), photos.path());
}

}  // namespace
