#include "app/screenshot_tour.h"

#include <gtest/gtest.h>

#include <QImage>

#include "app/main_dialog.h"
#include "platform/memory_settings_store.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"

namespace {

TEST(ScreenshotTour, SavesAPictureOfEveryWindowAndEndsAfterTheRun) {
    testsupport::TempDir photos;
    testsupport::TempDir pictures;
    for (std::uint32_t seed : {1u, 2u}) {
        testsupport::CameraPhotoSpec spec;
        spec.seed = seed;
        testsupport::writeFile(photos.file("photo" + std::to_string(seed) + ".jpg"),
                               testsupport::makeCameraPhoto(spec).jpeg);
    }
    platform::MemorySettingsStore settings;
    MainDialogServices services;
    services.settings = &settings;  // real message boxes: the tour answers them itself
    MainDialog dialog(services);

    EXPECT_EQ(runScreenshotTour(dialog, pictures.path(), photos.path()), 0);
    for (const char* name : {"main-window", "about-box", "help-window", "status-window", "run-result"}) {
        const QImage picture(QString::fromStdString(pictures.file(std::string(name) + ".png")));
        EXPECT_FALSE(picture.isNull()) << name;
        EXPECT_GT(picture.width(), 100) << name;
    }
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_TRUE(settings.writes().empty());
}

}  // namespace
