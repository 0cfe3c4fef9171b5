#include "workflow/tile_loader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/camera_photo.h"
#include "tests/support/files.h"

namespace {

using namespace testsupport;

// Everything the loader finds until it has nothing left to do.
std::vector<LoadedPhoto> drain(TileLoader& loader) {
    std::vector<LoadedPhoto> all;
    for (int tick = 0; tick < 2000; ++tick) {
        const bool idle = loader.idle();  // asked first: what it found before is then taken below
        for (LoadedPhoto& found : loader.take()) all.push_back(std::move(found));
        if (idle) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return all;
}

struct Folder {
    explicit Folder(int count) {
        for (int i = 0; i < count; ++i) {
            paths.push_back(dir.file("p" + std::to_string(i) + ".jpg"));
            CameraPhotoSpec recipe;
            recipe.seed = static_cast<std::uint32_t>(i + 1);
            writeFile(paths.back(), makeCameraPhoto(recipe).jpeg);
        }
    }
    TempDir dir;
    std::vector<std::string> paths;
};

constexpr TileBox kTile{32, 32};
constexpr std::size_t kTileBytes = 32 * 24 * 3;

// One worker, so that the order is the loader's own: the wanted pictures nearest first, then every
// other photo's facts in order; a photo that cannot be shown is not tried again; the cache keeps
// the most recently used pictures within its bytes.
TEST(TileLoader, MakesTheWantedPicturesNearestFirstThenReadsTheOthersFactsWithinItsCache) {
    Folder folder(6);
    writeFile(folder.paths[4], Bytes(100, 'x'));
    TileLoader loader(folder.paths, kTile, 1, 2 * kTileBytes, nullptr);
    loader.want({3, 4, 2});
    std::vector<std::string> order;
    for (const LoadedPhoto& found : drain(loader)) {
        order.push_back(std::to_string(found.index) + (found.picture ? " picture" : "") +
                        (found.pictureRefusal.reason != RefusalReason::None ? " " + found.pictureRefusal.text() : ""));
        EXPECT_EQ(found.facts.headerRead, found.index != 4);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"3 picture", "4 not a JPEG file", "2 picture", "0", "1", "5"}));
    EXPECT_TRUE(loader.picture(2) && loader.picture(3));
    EXPECT_EQ(loader.picture(2)->width, 32);
    loader.want({0});
    EXPECT_EQ(drain(loader).size(), 1u);
    EXPECT_TRUE(loader.picture(0) && loader.picture(2) && !loader.picture(3)) << "the least recently used went";
}

// A photo read again after it changed has the facts of the file as it now is, and a new picture;
// the large view's picture comes before anything else and fits its box.
TEST(TileLoader, ReadsAChangedPhotoAgainAndMakesTheLargePictureFirst) {
    Folder folder(3);
    TileLoader loader(folder.paths, kTile, 2, 64 * kTileBytes, nullptr);
    loader.want({0, 1});
    drain(loader);
    const platform::FileIdentity was = readPhotoFacts(folder.paths[1]).identity;
    CameraPhotoSpec turned;
    turned.width = 48;
    turned.height = 64;
    turned.orientation = 3;
    writeFile(folder.paths[1], makeCameraPhoto(turned).jpeg);
    loader.reread(1, false);
    const std::vector<LoadedPhoto> again = drain(loader);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_TRUE(again[0].picture);
    EXPECT_EQ(again[0].facts.orientation, 3);
    EXPECT_NE(again[0].facts.identity, was);
    EXPECT_EQ(std::make_pair(loader.picture(1)->width, loader.picture(1)->height), std::make_pair(24, 32));

    loader.wantLarge(2, {60, 40});
    const std::vector<LoadedPhoto> large = drain(loader);
    ASSERT_EQ(large.size(), 1u);
    EXPECT_TRUE(large[0].large && large[0].picture);
    EXPECT_EQ(loader.largePicture(2)->width, 53) << "64 x 48 fitted into 60 x 40";
    EXPECT_EQ(loader.largePicture(1), nullptr);
}

}  // namespace
