#include "exif/exif_block.h"

#include <utility>

#include "exif/byte_order.h"
#include "exif/exif_test_helpers.h"

namespace {

using namespace exiftest;

EXIF_BOTH_ORDERS(ExifBlockTest);

ExifEntries orientationAndDate() { return {shortEntry(0x0112, {6}), asciiEntry(0x0132, "2008:05:17 14:30:00")}; }

// Written out by hand, so that the builder's blocks (each case runs in both orders) are known to be real ones.
TEST(ExifBlockOrder, HandWrittenBigEndianBlockIsTheBuildersAndReadsAsWritten) {
    const Bytes bigEndian = {0x00, 0x42, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0x00, 0x2A, 0, 0, 0, 8, 0x00, 0x02,
                             0x01, 0x12, 0x00, 0x03, 0, 0, 0, 1, 0x00, 0x06, 0, 0, 0x01, 0x32, 0x00, 0x02, 0, 0,
                             0, 0x14, 0, 0, 0, 0x26, 0, 0, 0, 0, '2', '0', '0', '8', ':', '0', '5', ':', '1', '7',
                             ' ', '1', '4', ':', '3', '0', ':', '0', '0', 0};
    ExifSpec recipe = ifd0(orientationAndDate());
    recipe.order = ByteOrder::Motorola;
    EXPECT_EQ(buildExif(recipe).segment(), bigEndian);
    readSegment(bigEndian);
    EXPECT_TRUE(lastLayout.order.motorola);
    EXPECT_STREQ(photoInfo.dateTime, "2008:05:17 14:30:00");
    const long got[] = {photoInfo.orientation, photoInfo.dateTimeCount, photoInfo.dateTimeOffsets[0],
                        photoInfo.largestExifOffset, photoInfo.thumbnailAtEnd};
    EXPECT_EQ(std::vector<long>(got, got + 5), (std::vector<long>{6, 1, 38, 38, 0}));
}

TEST_P(ExifBlockTest, BrokenOrShortHeadersAreRefusedWithoutReadingPastTheSegment) {
    const Bytes good = buildExif(recipe(orientationAndDate())).segment();
    const bool motorola = GetParam() == ByteOrder::Motorola;
    const std::pair<std::size_t, const char*> flips[] = {  // the first directory's offset becomes 0x80000008
        {5, "Incorrect Exif header\n"}, {7, "Incorrect Exif header\n"}, {8, "Invalid Exif alignment marker.\n"},
        {motorola ? 11 : 10, "Invalid Exif start (1)\n"},
        {motorola ? 12 : 15, "Suspicious offset of first IFD value\nIllegally sized directory\n"}};
    for (const auto& [at, expected] : flips) {
        Bytes bad = good;
        bad[at] ^= 0x80;
        readSegment(bad);
        EXPECT_EQ(messages(), expected);
        EXPECT_FALSE(lastLayout.walked);
    }
    ExifSpec odd = recipe(orientationAndDate());
    odd.exif = ExifEntries{shortEntry(0x9207, {5})};
    ExifBlock suspicious = buildExif(odd);
    suspicious.put32(4, suspicious.exif);  // the first directory is found, if not where it usually is
    readBlock(suspicious);
    EXPECT_EQ(messages(), "Suspicious offset of first IFD value\n");
    EXPECT_TRUE(lastLayout.walked);
    for (std::size_t length = 0; length < good.size(); ++length) {
        readSegment(Bytes(good.begin(), good.begin() + static_cast<long>(length)));
        EXPECT_TRUE(length >= 16 || lastNotes.messages().size() == 1) << length;
    }
}

TEST_P(ExifBlockTest, NextLinksReachLevelFourAndMayPointUpTo19BytesPastTheEnd) {
    ExifSpec s = recipe(orientationAndDate());
    s.extra.assign(5, {asciiEntry(0x9004, "2002:02:02 00:00:00")});
    ExifBlock block = buildExif(s);
    std::uint32_t from = block.ifd0;
    for (std::uint32_t to : block.extra) block.put32(block.linkAt(std::exchange(from, to)), to);
    readBlock(block);
    EXPECT_EQ(photoInfo.dateTimeCount, 5);  // levels 0..4
    EXPECT_REPORTED("Maximum directory nesting exceeded (corrupt exif header)");
    for (std::uint32_t past = 1; past <= 20; ++past) {
        block.put32(block.linkAt(block.ifd0), block.tiffLength() + past);
        readBlock(block);
        EXPECT_EQ(messages(), past < 20 ? "" : "Illegal subdirectory link\n") << past;
        EXPECT_EQ(photoInfo.largestExifOffset, block.tiffLength() + past);
        EXPECT_EQ(photoInfo.orientation, 6);
    }
}

// Size, place and the thumbnailAtEnd flag.
const Field kThumbnail{"thumbnail", [] {
    return std::to_string(photoInfo.thumbnailSize) + " " + thumbnailPlaceName(photoInfo.thumbnailPlace) + " " +
           std::to_string(photoInfo.thumbnailAtEnd);
}};

// The camera block with a 64-byte thumbnail, then `change`.
ExifSpec camera(void (*change)(ExifSpec&) = nullptr) {
    ExifSpec s = cameraExifSpec(ByteOrder::Intel, Bytes(64, 0xAB));
    if (change) change(s);
    return s;
}

TEST_P(ExifBlockTest, DirectoriesAndThumbnailsAreKeptWithinTheBlock) {
    const ExifSpec orientation = ifd0({shortEntry(0x0112, {6})});  // the directory and its link end the block
    ExifSpec thumbnail = ifd0({});                                 // IFD1, then a thumbnail ending the block
    thumbnail.thumbnail = Bytes(700, 0xD8);
    ExifSpec both = ifd0({longEntry(0x0201, {20}), longEntry(0x0202, {4})});  // IFD0's thumbnail lies in IFD0 itself
    both.thumbnail = Bytes(700, 0xD8);
    const std::string illegal = "Illegally sized directory\n", pointer = "Illegal value pointer for tag 927c\n";
    expectFields({{orientation, FIELD(orientation), "6", "", 4},   {orientation, FIELD(orientation), "6", "", 2},
                  {orientation, FIELD(orientation), "0", illegal, 3}, {orientation, FIELD(orientation), "0", illegal, 1},
                  {orientation, kThumbnail, "0 none 1"},             {thumbnail, kThumbnail, "700 at end 1"},
                  {thumbnail, kThumbnail, "400 at end 1", "", 300},  {thumbnail, kThumbnail, "0 none 0", "", 702},
                  {both, kThumbnail, "4 neither 0"},
                  // A GPS value behind the thumbnail (the thumbnail's tests place directories and MakerNote there).
                  {camera([](ExifSpec& s) { s.gps->push_back(asciiEntry(0x001B, "GPS-FIX")), s.gps->back().behindThumbnail = true; }),
                   kThumbnail, "64 in place only 0"},
                  // A MakerNote pointing past the end, where a grown block would reach, and beyond any block.
                  {camera([](ExifSpec& s) { s.exif->push_back(rawEntry(0x927C, kExifUndefined, 40, 60000)); }), kThumbnail,
                   "64 in place only 0", pointer},
                  {camera([](ExifSpec& s) { s.exif->push_back(rawEntry(0x927C, kExifUndefined, 40, 70000)); }), kThumbnail,
                   "64 at end 1", pointer},
                  // A sub-directory that cannot be read may hide anything.
                  {camera([](ExifSpec& s) { s.ifd0.push_back(rawEntry(0xA005, kExifLong, 1, 0xFFFFFFF0)); }), kThumbnail,
                   "64 in place only 0", "Illegal exif or interop ofset directory link\n"}});
    const ExifBlock block = buildExif(inOrder(thumbnail));
    readBlock(block);
    EXPECT_EQ(photoInfo.thumbnailOffset, block.thumbnailOffset);
    EXPECT_EQ(photoInfo.thumbnailSizeOffset, static_cast<std::int32_t>(block.thumbnailLengthValue));

    // Thumbnail tags in IFD0 and IFD1: IFD0's thumbnail is kept, so its length value is the one to update.
    const ExifBlock twoThumbnails = buildExif(inOrder(both));
    readBlock(twoThumbnails);
    EXPECT_EQ(photoInfo.thumbnailOffset, 20u);
    EXPECT_EQ(photoInfo.thumbnailSizeOffset, static_cast<std::int32_t>(twoThumbnails.valueOf(twoThumbnails.ifd0, 0x0202)));
}

TEST_P(ExifBlockTest, SelfLinksAndOverlappingDirectoriesCannotMultiplyTheWork) {
    // IFD0 names itself, then M - 1 directories inside D (M entries), counts patched in: M * M / 2 entries in full.
    const int m = 1000;
    ExifSpec s = recipe(ExifEntries(m, rawEntry(0x8769, kExifLong, 1, 8)));
    s.extra = {ExifEntries(m, shortEntry(0x9999, {1}))};
    ExifBlock block = buildExif(s);
    for (int j = 1; j < m; ++j) {
        block.put32(block.entryAt(block.ifd0, j) + 8, block.extra[0] + 12 * j);
        block.put16(block.entryAt(block.extra[0], j - 1) + 10, static_cast<std::uint16_t>(m - j));
    }
    readBlock(block);
    EXPECT_REPORTED("Directory at offset 8 is linked more than once");
    EXPECT_REPORTED("Too many directory entries");
}

}  // namespace
