#pragma once
// A review window for the widget tests over a folder the test fills: messages recorded, and the
// photo turner a substitute that records what it was handed and refuses files named "broken".

#include <QTest>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/review_model.h"
#include "app/review_window.h"
#include "platform/recording_message_sink.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"

namespace windowtest {

struct Review {
    // A 64 x 48 camera photo named `name` with Orientation `orientation` (0: no tag).
    void addPhoto(const std::string& name, int orientation, std::uint32_t seed = 1) {
        testsupport::CameraPhotoSpec recipe;
        recipe.orientation = orientation;
        recipe.seed = seed;
        testsupport::writeFile(folder.file(name), testsupport::makeCameraPhoto(recipe).jpeg);
    }

    // Opens the review of the folder and waits until every tile in view is made. Unless
    // `realTurns`, the photos are handed to the recording substitute, not turned.
    void open(bool byTag = false, bool realTurns = false) {
        ProcessingOptions options;
        options.AutoOrient = byTag ? 1 : 0;
        ReviewServices services;
        services.messages = &messages;
        services.jobs = 1;
        services.rotate = [this](const PlannedPhoto& photo, const ProcessingOptions&, const RunContext&) {
            std::lock_guard<std::mutex> lock(mutex);
            handed.push_back(photo);
            if (photo.path.find("broken") != std::string::npos) return refusal(RefusalReason::DamagedData, "bad");
            RotateResult turned;
            turned.outcome = FileOutcome::Rotated;
            return turned;
        };
        if (realTurns) services.rotate = shell::windowTurner();
        window = std::make_unique<ReviewWindow>(folder.path(), options, services);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        settle();
    }
    void settle() { EXPECT_TRUE(QTest::qWaitFor([this] { return window->settled(); }, 10000)); }

    // The grid's model index of a photo.
    QModelIndex at(std::size_t photo) const {
        return window->grid()->model()->index(window->rowOf(photo), 0);
    }
    QVariant data(std::size_t photo, int role) const { return at(photo).data(role); }
    QImage picture(std::size_t photo) const { return data(photo, ReviewModel::PictureRole).value<QImage>(); }
    // Clicks the tile of `photo` with `modifiers`, as the mouse does.
    void click(std::size_t photo, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QListView* grid = window->grid();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, grid->visualRect(at(photo)).center());
    }
    std::vector<std::string> handedNames() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::string> names;
        for (const PlannedPhoto& photo : handed) names.push_back(photo.path.substr(photo.path.rfind('/') + 1));
        return names;
    }

    testsupport::TempDir folder;
    platform::RecordingMessageSink messages;
    std::mutex mutex;
    std::vector<PlannedPhoto> handed;
    std::unique_ptr<ReviewWindow> window;
};

}  // namespace windowtest
