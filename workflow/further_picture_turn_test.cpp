#include "workflow/further_picture_turn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "jpegfile/mpf_index.h"
#include "jpegfile/further_pictures.h"
#include "tests/support/exif_builder.h"
#include "tests/support/multi_picture.h"
#include "workflow/transcode_test_support.h"
#include "workflow/turned_photo.h"

namespace {

using namespace workflowtest;
using K = TransformKind;

TurnedPhoto turnBytes(const Bytes& file, K kind, bool upright = false) {
    static const TurnSettings settings;
    Result<PhotoRecord> record = readPhotoRecord(file.data(), file.size(), "photo.jpg");
    EXPECT_TRUE(record.ok());
    const FrameFacts frame = record.value().frame;
    const PictureTurn turn = pictureTurnOf(kind, record.value().info.orientation, upright ? 1 : 0, frame.width, frame.height, 0, 0);
    return turnPhoto(file, std::move(record.value()), turn, settings);
}

// The multi-picture index of a turned file; `base` is where its offsets count from.
MpIndex indexOf(const Bytes& file, std::size_t* base) {
    SegmentSpan span;
    MpIndex index;
    std::string reason;
    EXPECT_TRUE(findMpfSegment(file.data(), file.size(), &span));
    EXPECT_TRUE(readMpIndex(file.data() + span.payloadAt, span.payloadSize, &index, &reason)) << reason;
    *base = span.payloadAt + kMpBaseInPayload;
    return index;
}

// Further picture `entry` of the turned file, where its index places it.
Bytes indexedPicture(const Bytes& file, std::size_t entry) {
    std::size_t base = 0;
    const MpEntry picture = indexOf(file, &base).entries.at(entry);
    return Bytes(file.begin() + long(base + picture.offset), file.begin() + long(base + picture.offset + picture.size));
}

std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A gain map that is no whole number of blocks (a 1020 x 768 map of a 4080 x 3072 photo) keeps its
// full size: turned through its pixels, with its own tables turned with the axes, while the
// primary stays coefficient for coefficient; the result says which picture and why. The index
// and the XMP container point at the turned map, and a motion photo's video stays at the end.
TEST(FurtherPictureTurn, AGainMapOfPartialBlocksIsTurnedThroughItsPixelsAtItsFullSize) {
    MultiPictureSpec recipe = ultraHdrSpec(ContainerForm::Attributes);
    recipe.further[0].picture.width = 1020;
    recipe.further[0].picture.height = 768;
    recipe.further[0].picture.quality = 95;
    recipe.video = Bytes(5000, 0x5A);
    const MultiPicture made = makeMultiPicture(recipe);
    const TurnedPhoto done = turnBytes(made.file, K::Rotate270);
    ASSERT_TRUE(done.result.rotated()) << refusalText(done.result);
    EXPECT_EQ(done.result.reencoded, "picture 2 of the multi-picture index: its size, 1020 x 768, is no whole number of "
                                     "its 8 x 8 blocks along an edge the turn mirrors");
    expectSameImage(done.bytes, turned(made.file));

    const Bytes map = indexedPicture(done.bytes, 1);
    const Plane before = decodePlanes(made.pictures[0]).at(0), after = decodePlanes(map).at(0);
    ASSERT_EQ(std::make_pair(after.width, after.height), std::make_pair(768, 1020));
    int worst = 0;
    long total = 0;
    for (int y = 0; y < after.height; ++y)
        for (int x = 0; x < after.width; ++x) {  // a quarter turn counter-clockwise: the right column on top
            const int difference = std::abs(after.at(x, y) - before.at(before.width - 1 - y, x));
            worst = std::max(worst, difference);
            total += difference;
        }
    EXPECT_LE(worst, 12);
    EXPECT_LT(double(total) / (after.width * after.height), 2.0);
    const auto table = readCoefficients(made.pictures[0]).quantTables.at(0);
    const auto turnedTable = readCoefficients(map).quantTables.at(0);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(turnedTable[i], table[i % 8 * 8 + i / 8]) << i;
    EXPECT_NE(textOf(done.bytes).find("Length=\"" + std::to_string(map.size()) + "\""), std::string::npos);
    std::size_t base = 0;
    const MpIndex index = indexOf(done.bytes, &base);
    EXPECT_EQ(base + index.entries[1].offset, index.entries[0].size) << "the primary's size ends where the map begins";
    EXPECT_EQ(index.entries[0].size + map.size() + recipe.video.size(), done.bytes.size());
    EXPECT_TRUE(std::equal(recipe.video.rbegin(), recipe.video.rend(), done.bytes.rbegin()));
}

// A multi-picture photo upright by Orientation 6 whose second picture carries its own Exif block
// with `thumbnail`.
MultiPicture withOwnExif(const Bytes& thumbnail, ExifBlock* block) {
    ExifSpec own = cameraExifSpec(ByteOrder::Motorola, thumbnail);
    for (ExifEntry& entry : own.ifd0)
        if (entry.tag == 0x0112) entry = shortEntry(0x0112, {6});
    *block = buildExif(own);
    MultiPictureSpec recipe = ultraHdrSpec(ContainerForm::None);
    recipe.orientation = 6;
    recipe.further[0].picture = JpegSpec{48, 32};
    recipe.further[0].picture.writeJfif = false;
    recipe.further[0].picture.markers = {{0xE1, block->payload}};
    return makeMultiPicture(recipe);
}

// Turned upright by its orientation, a further picture with its own Exif block gets what the
// primary gets: its orientation upright, its pixel dimensions exchanged, its thumbnail turned, or
// named in the photo's result where it cannot be.
TEST(FurtherPictureTurn, AFurtherPictureWithItsOwnExifIsEditedAsThePrimaryIs) {
    const Bytes thumbnail = makeJpeg({32, 16});
    ExifBlock block;
    const MultiPicture made = withOwnExif(thumbnail, &block);
    const TurnedPhoto done = turnBytes(made.file, K::Rotate90, true);
    ASSERT_TRUE(done.result.rotated()) << refusalText(done.result);
    EXPECT_EQ(done.result.reencoded, "");
    EXPECT_EQ(done.result.thumbnailNotTurned, "");

    const Bytes map = indexedPicture(done.bytes, 1);
    expectSameImage(map, transformInMemory(made.pictures[0], K::Rotate90));
    ExifBlock after = block;
    after.payload = listMarkers(map).at(0).data;
    EXPECT_EQ(after.get16(block.valueOf(block.ifd0, 0x0112)), 1);
    EXPECT_EQ(after.get32(block.valueOf(block.exif, 0xA002)), 480u);
    EXPECT_EQ(after.get32(block.valueOf(block.exif, 0xA003)), 640u);
    expectSameImage(Bytes(after.payload.begin() + 6 + block.thumbnailOffset, after.payload.end()),
                    transformInMemory(thumbnail, K::Rotate90, true));

    const TurnedPhoto damaged = turnBytes(withOwnExif({0xFF, 0xD8, 0xFF, 0xDB, 0, 4, 1, 2, 0xFF, 0xD9}, &block).file,
                                          K::Rotate90, true);
    ASSERT_TRUE(damaged.result.rotated()) << refusalText(damaged.result);
    EXPECT_EQ(damaged.result.thumbnailNotTurned.rfind("the thumbnail of picture 2 of the multi-picture index: ", 0), 0u)
        << damaged.result.thumbnailNotTurned;
}

// A phone that writes no multi-picture index lists its gain map in the XMP container directory
// alone: it is turned all the same and its length follows. A picture there that cannot be turned
// refuses the photo, which would otherwise keep it unturned behind a turned one.
TEST(FurtherPictureTurn, ContainerItemsWithoutAnIndexAreTurnedOrRefuseThePhoto) {
    const MultiPicture made = makeMultiPicture(ultraHdrSpec(ContainerForm::Elements));
    const std::string mpf("MPF\0", 4);
    auto withoutIndex = [&](const std::string& from, const std::string& to) {
        std::string text = textOf(made.file);
        const std::size_t at = text.find(mpf) - 4;  // its marker and length
        text.erase(at, 2 + (std::size_t(std::uint8_t(text[at + 2])) << 8 | std::uint8_t(text[at + 3])));
        if (!from.empty()) text.replace(text.find(from), from.size(), to);
        return Bytes(text.begin(), text.end());
    };
    const Bytes file = withoutIndex("", "");
    const TurnedPhoto done = turnBytes(file, K::Rotate270);
    ASSERT_TRUE(done.result.rotated()) << refusalText(done.result);
    const std::string text = textOf(done.bytes);
    const std::size_t length = std::stoul(text.substr(text.rfind("<Item:Length>") + 13));
    const Bytes map(done.bytes.end() - long(length), done.bytes.end());
    expectSameImage(map, turned(made.pictures[0]));

    const Bytes heic = withoutIndex("<Item:Mime>image/jpeg</Item:Mime><Item:Length>",
                                    "<Item:Mime>image/heic</Item:Mime><Item:Length>");
    const TurnedPhoto refused = turnBytes(heic, K::Rotate270);
    EXPECT_EQ(int(refused.result.reason), int(RefusalReason::FurtherPicture));
    EXPECT_EQ(refused.result.detail,
              "item 2 of the XMP container directory is a picture of type image/heic, which cannot be turned");
}

}  // namespace
