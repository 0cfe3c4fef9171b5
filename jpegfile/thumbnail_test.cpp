#include "jpegfile/thumbnail.h"

#include "exif/exif_block.h"
#include "exif/turn_edits.h"
#include "jpegfile/section_test_helpers.h"
#include "tests/support/exif_builder.h"

namespace sectiontest {
namespace {

// The photograph's Exif APP1 read with ReadMetadata and kept, as the rotation workflow leaves it.
class ThumbnailTest : public SectionTableTest, public ::testing::WithParamInterface<ByteOrder> {
protected:
    ExifBlock block;

    void keepExif(ExifSpec recipe) {
        releaseSections();
        recipe.order = GetParam();
        block = buildExif(recipe);
        ASSERT_EQ(readFromMemory(handMadeFile({segment(0xE1, block.payload)}), ReadMetadata), 1);
        keepExifAndComment();
    }
    JpegSection& exif() { return sectionTable.entries[0]; }
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
        EXPECT_EQ(photoInfo.thumbnailPlace, c.place);
        const std::size_t size = c.fromLimit ? kMaxThumbnailEnd - block.thumbnailOffset + c.size : c.size;
        const Bytes turned(size, 0x99), before = bytesOf(exif());
        EXPECT_EQ(replaceThumbnail(turned), c.refusal);
        if (!c.refusal.empty()) {
            EXPECT_EQ(bytesOf(exif()), before);
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
        EXPECT_EQ(bytesOf(exif()), expected.segment());
        EXPECT_EQ(thumbnailBytes(), turned);
        EXPECT_EQ(photoInfo.thumbnailSize, size);

        ASSERT_TRUE(setPixelDimensions(exif().bytes, static_cast<std::size_t>(exif().byteCount), 481, 641));
        expected.put32(block.valueOf(block.exif, 0xA002), 481);
        expected.put32(block.valueOf(block.exif, 0xA003), 641);
        EXPECT_EQ(bytesOf(exif()), expected.segment());
    }
}

TEST_P(ThumbnailTest, FilesCarryTheBytesOutAndBackInAndOnlyTheBlockReadIsChanged) {
    keepExif(camera());
    const std::string out = folder.file("out.thi"), in = folder.file("new.tho");
    ASSERT_EQ(exportThumbnail(out.c_str()), 1);
    EXPECT_EQ(readFile(out), Bytes(5000, 0x33));
    writeFile(in, Bytes(300, 0x99));
    ASSERT_EQ(importThumbnail(in.c_str()), 1);
    EXPECT_EQ(thumbnailBytes(), Bytes(300, 0x99));
    writeFile(in, Bytes(0x10000, 0x99));
    EXPECT_EQ(importThumbnail(in.c_str()), 0);
    EXPECT_EQ(importThumbnail(folder.file("missing.tho").c_str()), 0);
    EXPECT_EQ(reportedErrors(), (Texts{"Thumbnail is too large to insert into exif header", "Could not read thumbnail file"}));

    Bytes other = block.segment();  // a block read since: the kept one is not what the record describes
    processExifBlock(other.data(), static_cast<unsigned>(other.size()));
    const Bytes before = bytesOf(exif());
    EXPECT_EQ(replaceThumbnail(Bytes(10, 1)), "the kept Exif block is not the one that was read");
    EXPECT_EQ(exportThumbnail(folder.file("none.thi").c_str()), 0);
    EXPECT_FALSE(setOrientationUpright(exif().bytes, static_cast<std::size_t>(exif().byteCount)));
    EXPECT_EQ(bytesOf(exif()), before);
    EXPECT_EQ(listFolder(folder.path()), (Texts{"new.tho", "out.thi"}));
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, ThumbnailTest, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola));

}  // namespace
}  // namespace sectiontest
