#include "workflow/tile_picture.h"

#include <gtest/gtest.h>

#include <numeric>

#include "tests/support/camera_photo.h"
#include "tests/support/jpeg_maker.h"
#include "transform/turns.h"

namespace {

using namespace testsupport;
using K = TransformKind;

TEST(TilePicture, ComesFromTheThumbnailOnlyWhenItShowsTheWholePictureWithPixelsEnough) {
    struct Case { int width, height, thumbWidth, thumbHeight, orientation, box; bool fromThumbnail; int shownWidth, shownHeight; };
    const Case cases[] = {
        {64, 48, 32, 24, 1, 32, true, 32, 24},
        {64, 48, 32, 32, 1, 32, false, 32, 24},   // a square thumbnail with bars: the picture is decoded
        {64, 48, 32, 24, 1, 64, false, 64, 48},   // too few pixels for the box
        {64, 48, 32, 24, 6, 32, true, 24, 32},    // shown upright
        {64, 48, 32, 24, 1, 500, false, 64, 48},  // never larger than the photo itself
        {200, 30, 32, 24, 8, 20, false, 3, 20},
    };
    for (const Case& c : cases) {
        CameraPhotoSpec recipe;
        recipe.width = c.width;
        recipe.height = c.height;
        recipe.thumbnailWidth = c.thumbWidth;
        recipe.thumbnailHeight = c.thumbHeight;
        recipe.orientation = c.orientation;
        const Result<TilePixels> tile = tilePicture(makeCameraPhoto(recipe).jpeg, {c.box, c.box});
        ASSERT_TRUE(tile.ok()) << tile.refusal().text();
        EXPECT_EQ(std::make_tuple(tile.value().fromThumbnail, tile.value().width, tile.value().height),
                  std::make_tuple(c.fromThumbnail, c.shownWidth, c.shownHeight))
            << c.width << "x" << c.height << " box " << c.box;
        EXPECT_EQ(tile.value().rgb.size(), static_cast<std::size_t>(c.shownWidth * c.shownHeight * 3));
    }
    // A camera held a quarter turn clockwise writes tag 6: its picture is shown turned a quarter clockwise.
    CameraPhotoSpec held;
    held.width = 256;
    held.height = 128;
    const TilePixels level = tilePicture(makeCameraPhoto(held).jpeg, {40, 40}).value();
    held.orientation = 6;
    EXPECT_EQ(tilePicture(makeCameraPhoto(held).jpeg, {40, 40}).value().rgb, turnedPixels(level, K::Rotate90).rgb);
}

TEST(TilePicture, GreyAndCmykPhotosAreShownAndWhatCannotBeShownIsRefused) {
    for (ColorKind colour : {ColorKind::Gray, ColorKind::Cmyk}) {
        const Result<TilePixels> tile = tilePicture(makeJpeg({40, 24, colour}), {20, 20});
        ASSERT_TRUE(tile.ok()) << tile.refusal().text();
        EXPECT_EQ(std::make_pair(tile.value().width, tile.value().height), std::make_pair(20, 12));
    }
    EXPECT_EQ(tilePicture(Bytes(100, 'x'), {20, 20}).refusal().reason, RefusalReason::NotJpeg);
    // A progressive photo needs its coefficients at once: of 30000 x 30000 pixels, more than a tile may hold.
    Bytes photo = makeJpeg({16, 16, ColorKind::YCbCr, 2, 2, true});
    photo = patched(photo, markerPositions(photo, 0xC2).at(0) + 5, {0x75, 0x30, 0x75, 0x30});
    EXPECT_EQ(tilePicture(photo, {20, 20}).refusal().reason, RefusalReason::NotEnoughMemory);

    // Where the data of a single scan ends, the rest is grey, for the scan of DC coefficients and
    // for libjpeg alike; a header that claims a giant picture costs no more than its data.
    for (ColorKind colour : {ColorKind::YCbCr, ColorKind::Cmyk}) {
        for (bool markerAfter : {false, true}) {  // the file ends, or a marker stands where the data stops
            Bytes cut = makeJpeg({256, 256, colour});
            cut.resize(cut.size() / 3);
            if (markerAfter) cut.insert(cut.end(), {0xFF, 0xD9});
            const Result<TilePixels> tile = tilePicture(cut, {32, 32});
            ASSERT_TRUE(tile.ok()) << tile.refusal().text();
            EXPECT_EQ(Bytes(tile.value().rgb.end() - 6, tile.value().rgb.end()), Bytes(6, 128)) << markerAfter;
        }
    }
    Bytes claims = makeJpeg({16, 16});
    claims = patched(claims, markerPositions(claims, 0xC0).at(0) + 5, {0xFF, 0xF0, 0xFF, 0xF0});
    EXPECT_TRUE(tilePicture(claims, {32, 32}).ok());
}

// Each pixel, its three bytes together, goes where the turn table sends it (composing the turns is
// the table's own test): the bottom-left pixel comes to the top-left.
TEST(TilePicture, PixelsTurnAsTheTurnTableSays) {
    TilePixels p;
    p.width = 3;
    p.height = 2;
    p.rgb.resize(18);
    std::iota(p.rgb.begin(), p.rgb.end(), 0);
    const TilePixels right = turnedPixels(p, K::Rotate90);
    EXPECT_EQ(std::make_pair(right.width, right.height), std::make_pair(2, 3));
    EXPECT_EQ(right.rgb, (std::vector<std::uint8_t>{9, 10, 11, 0, 1, 2, 12, 13, 14, 3, 4, 5, 15, 16, 17, 6, 7, 8}));
    EXPECT_EQ(turnedPixels(p, K::FlipVertical).rgb,
              (std::vector<std::uint8_t>{9, 10, 11, 12, 13, 14, 15, 16, 17, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

}  // namespace
