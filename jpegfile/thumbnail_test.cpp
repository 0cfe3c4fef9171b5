#include "jpegfile/thumbnail.h"

#include <gtest/gtest.h>

#include "exif/turn_edits.h"
#include "tests/support/hand_made.h"
#include "tests/support/exif_builder.h"

namespace {

using namespace testsupport;
using namespace handmade;

// The photograph's record with its Exif block, as the rotation workflow reads it.
class ThumbnailTest : public ::testing::TestWithParam<ByteOrder> {
protected:
    ExifBlock block;
    PhotoRecord record;

    void keepExif(ExifSpec recipe) {
        recipe.order = GetParam();
        block = buildExif(recipe);
        const Bytes file = handMadeFile({segment(0xE1, block.payload)});
        Result<PhotoRecord> read = readPhotoRecord(file.data(), file.size(), "photo.jpg");
        ASSERT_TRUE(read.ok());
        record = read.value();
    }
    Bytes& exif() { return record.exif()->bytes; }
};

// The camera block with a 5000-byte thumbnail, then `change`.
ExifSpec camera(void (*change)(ExifSpec&) = nullptr) {
    ExifSpec s = cameraExifSpec(ByteOrder::Intel, Bytes(5000, 0x33));
    if (change) change(s);
    return s;
}

struct Replacement {
    ExifSpec recipe;
    long size;  // of the turned thumbnail; with fromLimit, counted from the largest that may end the block
    ThumbnailPlace place;
    std::string refusal;  // "": replaced
    bool fromLimit = false;
};

// Replaced: the old block up to the thumbnail, then the new one (at the end), or the new one and
// zeros in the old one's room (in place); ThumbnailLength states the new size in its own type.
// Refused: not a byte changes. Either way the recorded positions still serve the Exif edits.
TEST_P(ThumbnailTest, ReplacementChangesTheThumbnailAndItsLengthAndNothingElse) {
    const std::string type = "its length is stored in a type too small for the new size",
                      room = "the turned thumbnail does not fit in the room of the old one";
    ExifSpec big = camera();
    big.ifd0.push_back(bytesEntry(0xABCD, kExifUndefined, Bytes(59000, 0)));
    big.thumbnail = Bytes(100, 0x33);
    ExifSpec both = camera([](ExifSpec& s) { s.ifd0.insert(s.ifd0.begin(), {longEntry(0x0201, {20}), longEntry(0x0202, {4})}); });
    const Replacement cases[] = {
        {camera(), 6000, ThumbnailPlace::AtEnd, ""},
        {camera(), 4000, ThumbnailPlace::AtEnd, ""},
        {camera(), 0, ThumbnailPlace::AtEnd, ""},
        {camera([](ExifSpec& s) { s.thumbnailLengthFormat = kExifShort; }), 6000, ThumbnailPlace::AtEnd, ""},
        {camera([](ExifSpec& s) { s.thumbnailLengthFormat = kExifSShort; }), 40000, ThumbnailPlace::AtEnd, type},
        {camera([](ExifSpec& s) { s.behindThumbnail = {0x8825}; }), 4000, ThumbnailPlace::InPlaceOnly, ""},
        {camera([](ExifSpec& s) { s.behindThumbnail = {0x8769}; s.thumbnailLengthFormat = kExifShort; }), 5000,
         ThumbnailPlace::InPlaceOnly, ""},
        {camera([](ExifSpec& s) { s.behindThumbnail = {0xA005}; }), 5001, ThumbnailPlace::InPlaceOnly, room},
        {camera([](ExifSpec& s) {
             s.exif->push_back(bytesEntry(0x927C, kExifUndefined, Bytes(64, 'M')));
             s.exif->back().behindThumbnail = true;
         }),
         100, ThumbnailPlace::InPlaceOnly, ""},
        {big, 0, ThumbnailPlace::AtEnd, "", true},
        {big, 1, ThumbnailPlace::AtEnd, "the turned thumbnail would make the Exif segment longer than 65,535 bytes", true},
        {both, 4, ThumbnailPlace::Neither, "other data of the Exif block overlaps the thumbnail"},
        {camera([](ExifSpec& s) { s.thumbnail.clear(); }), 10, ThumbnailPlace::None, "the Exif block holds no thumbnail"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Replacement& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i));
        keepExif(c.recipe);
        EXPECT_EQ(record.info.thumbnailPlace, c.place);
        const std::size_t size = c.fromLimit ? kMaxThumbnailEnd - block.thumbnailOffset + c.size : c.size;
        const Bytes turned(size, 0x99), before = exif();
        EXPECT_EQ(replaceThumbnail(record, turned), c.refusal);
        if (!c.refusal.empty()) {
            EXPECT_EQ(exif(), before);
            continue;
        }
        ExifBlock expected = block;
        const auto thumbnail = expected.payload.begin() + 6 + block.thumbnailOffset;
        if (c.place == ThumbnailPlace::AtEnd) {
            expected.payload.erase(thumbnail, expected.payload.end());
            expected.payload.insert(expected.payload.end(), turned.begin(), turned.end());
        } else {
            std::fill_n(std::copy(turned.begin(), turned.end(), thumbnail), c.recipe.thumbnail.size() - size, 0);
        }
        if (c.recipe.thumbnailLengthFormat == kExifLong)
            expected.put32(block.thumbnailLengthValue, static_cast<std::uint32_t>(size));
        else
            expected.put16(block.thumbnailLengthValue, static_cast<std::uint16_t>(size));
        EXPECT_EQ(exif(), expected.segment());
        EXPECT_EQ(thumbnailBytes(record), turned);
        EXPECT_EQ(record.info.thumbnailSize, size);

        ASSERT_TRUE(setPixelDimensions(exif().data(), exif().size(), record.exifLayout, 481, 641));
        expected.put32(block.valueOf(block.exif, 0xA002), 481);
        expected.put32(block.valueOf(block.exif, 0xA003), 641);
        EXPECT_EQ(exif(), expected.segment());
    }
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, ThumbnailTest, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola));

}  // namespace
