#include "jpegfile/strip_thumbnail.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/exif_builder.h"
#include "tests/support/hand_made.h"

namespace {

using namespace testsupport;
using namespace handmade;
using K = TransformKind;

// An IFD1 thumbnail of `width` x `height` in one strip holding `pixels`, RGB or YCbCr with the
// given subsampling; `change` shapes the entries further.
struct StripRecipe {
    int width, height;
    Bytes pixels;
    int photometric = 2;
    std::vector<std::int64_t> subsampling{};  // YCbCrSubSampling when given
    std::function<void(ExifEntries&)> change{};
};

class StripThumbnailTest : public ::testing::TestWithParam<ByteOrder> {
protected:
    ExifBlock block;
    PhotoRecord record;

    void keep(const StripRecipe& strip) {
        ExifSpec recipe;
        recipe.order = GetParam();
        recipe.ifd0 = {shortEntry(0x0112, {1})};
        recipe.ifd1 = ExifEntries{shortEntry(0x0100, {strip.width}), shortEntry(0x0101, {strip.height}),
                                  shortEntry(0x0102, {8, 8, 8}), shortEntry(0x0103, {1}),
                                  shortEntry(0x0106, {strip.photometric}), longEntry(0x0111, {0}),
                                  shortEntry(0x0115, {3}), shortEntry(0x0116, {strip.height}),
                                  longEntry(0x0117, {std::int64_t(strip.pixels.size())})};
        if (!strip.subsampling.empty()) recipe.ifd1->push_back(shortEntry(0x0212, strip.subsampling));
        if (strip.change) strip.change(*recipe.ifd1);
        recipe.trailer = strip.pixels;
        block = buildExif(recipe);
        if (block.get32(block.valueOf(block.ifd1, 0x0111)) == 0)  // the strip: the block's last bytes
            block.put32(block.valueOf(block.ifd1, 0x0111), block.tiffLength() - std::uint32_t(strip.pixels.size()));
        const Bytes file = handMadeFile({segment(0xE1, block.payload)});
        Result<PhotoRecord> read = readPhotoRecord(file.data(), file.size(), "photo.jpg");
        ASSERT_TRUE(read.ok());
        record = read.value();
    }
    ExifBlock after() const {
        ExifBlock turned = block;
        turned.payload.assign(record.exif()->payload(), record.exif()->payload() + record.exif()->payloadSize());
        return turned;
    }
};

// The pixels move where the turn sends them and IFD1 states the turned size; subsampled colour
// stays subsampled, exact where the turn keeps the pixels paired, the pair's mean where it pairs
// them anew.
TEST_P(StripThumbnailTest, PixelsAndSizeFollowTheTurn) {
    struct Case {
        const char* name;
        StripRecipe strip;
        K kind;
        int width, height;
        Bytes pixels;
    };
    const Bytes rgb = {'A', 'a', 1, 'B', 'b', 2, 'C', 'c', 3, 'D', 'd', 4, 'E', 'e', 5, 'F', 'f', 6};  // 3 x 2
    const Bytes units = {10, 20, 100, 200, 30, 40, 110, 210};  // 2 x 2 in two 2 x 1 units: Y Y Cb Cr
    const Case cases[] = {
        {"RGB", {3, 2, rgb}, K::Rotate270, 2, 3,
         {'C', 'c', 3, 'F', 'f', 6, 'B', 'b', 2, 'E', 'e', 5, 'A', 'a', 1, 'D', 'd', 4}},
        {"YCbCr unsubsampled", {3, 2, rgb, 6, {1, 1}}, K::Rotate180, 3, 2,
         {'F', 'f', 6, 'E', 'e', 5, 'D', 'd', 4, 'C', 'c', 3, 'B', 'b', 2, 'A', 'a', 1}},
        {"YCbCr 2 x 1, mirrored", {2, 2, units, 6, {2, 1}}, K::FlipHorizontal, 2, 2, {20, 10, 100, 200, 40, 30, 110, 210}},
        {"YCbCr 2 x 1, transposed", {2, 2, units, 6, {2, 1}}, K::Rotate90, 2, 2, {30, 10, 105, 205, 40, 20, 105, 205}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        keep(c.strip);
        EXPECT_EQ(turnStripThumbnail(record, c.kind), "");
        const ExifBlock turned = after();
        const std::uint32_t at = block.get32(block.valueOf(block.ifd1, 0x0111));
        EXPECT_EQ(Bytes(turned.payload.begin() + 6 + at, turned.payload.end()), c.pixels);
        EXPECT_EQ(turned.get16(block.valueOf(block.ifd1, 0x0100)), c.width);
        EXPECT_EQ(turned.get16(block.valueOf(block.ifd1, 0x0101)), c.height);
        EXPECT_EQ(turned.get16(block.valueOf(block.ifd1, 0x0116)), std::max(c.height, c.strip.height));
    }
}

// A thumbnail this code cannot turn is named and its block stays byte for byte.
TEST_P(StripThumbnailTest, ThumbnailsThatCannotBeTurnedAreNamedAndLeftAlone) {
    struct Case {
        const char* name;
        std::function<void(ExifEntries&)> change;
        const char* said;
    };
    auto replace = [](std::uint16_t tag, ExifEntry by) {
        return [=](ExifEntries& entries) {
            for (ExifEntry& entry : entries)
                if (entry.tag == tag) entry = by;
        };
    };
    const Case cases[] = {
        {"two strips", replace(0x0111, longEntry(0x0111, {0, 0})), "several strips"},
        {"16 bits a sample", replace(0x0102, shortEntry(0x0102, {16, 16, 16})), "not of 8 bits"},
        {"a strip over IFD0", replace(0x0111, longEntry(0x0111, {8})), "overlaps other data"},
        {"a palette", replace(0x0106, shortEntry(0x0106, {3})), "neither RGB nor YCbCr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        keep({3, 2, Bytes(18, 7), 2, {}, c.change});
        const Bytes before = record.exif()->bytes;
        EXPECT_NE(turnStripThumbnail(record, K::Rotate90).find(c.said), std::string::npos);
        EXPECT_EQ(record.exif()->bytes, before);
    }
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, StripThumbnailTest, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola));

}  // namespace
