#include "exif/exif_block.h"

#include <gtest/gtest.h>

#include <cstring>

#include "exif/byte_order.h"
#include "exif/exif_test_helpers.h"

namespace {

using namespace exiftest;
using namespace testsupport;

class ExifBlockTest : public BothOrders {};
EXIF_BOTH_ORDERS(ExifBlockTest);

ExifSpec orientationAndDate(ByteOrder order) {
    ExifSpec s;
    s.order = order;
    s.ifd0 = {shortEntry(0x0112, {6}), asciiEntry(0x0132, "2008:05:17 14:30:00")};
    return s;
}

TEST(ExifBlockExample, BuilderMakesTheSixtySixByteBlockInBothOrders) {
    const Bytes bigEndian = {0x00, 0x42, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0x00, 0x2A, 0, 0, 0, 8,
                             0x00, 0x02, 0x01, 0x12, 0x00, 0x03, 0, 0, 0, 1, 0x00, 0x06, 0, 0,
                             0x01, 0x32, 0x00, 0x02, 0, 0, 0, 0x14, 0, 0, 0, 0x26, 0, 0, 0, 0,
                             '2', '0', '0', '8', ':', '0', '5', ':', '1', '7', ' ', '1', '4', ':', '3', '0', ':', '0', '0', 0};
    const Bytes littleEndian = {0x00, 0x42, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0x00, 8, 0, 0, 0,
                                0x02, 0x00, 0x12, 0x01, 0x03, 0x00, 1, 0, 0, 0, 0x06, 0x00, 0, 0,
                                0x32, 0x01, 0x02, 0x00, 0x14, 0, 0, 0, 0x26, 0, 0, 0, 0, 0, 0, 0,
                                '2', '0', '0', '8', ':', '0', '5', ':', '1', '7', ' ', '1', '4', ':', '3', '0', ':', '0', '0', 0};
    EXPECT_EQ(buildExif(orientationAndDate(ByteOrder::Motorola)).segment(), bigEndian);
    EXPECT_EQ(buildExif(orientationAndDate(ByteOrder::Intel)).segment(), littleEndian);
}

TEST_P(ExifBlockTest, SixtySixByteExampleYieldsOrientationDateAndOffsets) {
    readBlock(buildExif(orientationAndDate(GetParam())));
    EXPECT_EQ(photoInfo.orientation, 6);
    EXPECT_STREQ(photoInfo.dateTime, "2008:05:17 14:30:00");
    EXPECT_EQ(photoInfo.dateTimeCount, 1);
    EXPECT_EQ(photoInfo.dateTimeOffsets[0], 38);
    EXPECT_EQ(photoInfo.largestExifOffset, 38u);
    EXPECT_EQ(photoInfo.thumbnailOffset, 0u);
    EXPECT_EQ(photoInfo.thumbnailAtEnd, 0);
    EXPECT_EQ(motorolaOrder, GetParam() == ByteOrder::Motorola ? 1 : 0);
    EXPECT_TRUE(reportedErrors().empty()) << reportedText();
}

TEST(ExifBlockOrder, BothOrdersOfACameraBlockGiveTheSamePhotoInfo) {
    const Bytes thumbnail(300, 0x5A);
    readBlock(buildExif(cameraExifSpec(ByteOrder::Intel, thumbnail)));
    PhotoInfo intel = photoInfo;
    readBlock(buildExif(cameraExifSpec(ByteOrder::Motorola, thumbnail)));
    EXPECT_EQ(std::memcmp(&intel, &photoInfo, sizeof photoInfo), 0);
    EXPECT_STREQ(photoInfo.cameraMake, "Velmora");
    EXPECT_EQ(photoInfo.thumbnailSize, 300u);
    EXPECT_TRUE(reportedErrors().empty()) << reportedText();
}

TEST_P(ExifBlockTest, BlockWithoutOffsetsHasItsNonexistentThumbnailAtTheEnd) {
    ExifSpec s = spec();
    s.ifd0 = {shortEntry(0x0112, {3})};
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.thumbnailAtEnd, 1);
    EXPECT_EQ(photoInfo.thumbnailOffset, 0u);
    EXPECT_EQ(photoInfo.thumbnailSize, 0u);
}

TEST_P(ExifBlockTest, BrokenHeadersLeaveTheRecordAlone) {
    Bytes good = buildExif(orientationAndDate(GetParam())).segment();
    struct Case {
        std::size_t at;
        std::uint8_t value;
        const char* message;
    } cases[] = {{5, 'g', "Incorrect Exif header"},
                 {7, 1, "Incorrect Exif header"},
                 {8, 'X', "Invalid Exif alignment marker."},
                 {GetParam() == ByteOrder::Motorola ? 11u : 10u, 43, "Invalid Exif start (1)"}};
    for (const Case& c : cases) {
        Bytes bad = good;
        bad[c.at] = c.value;
        motorolaOrder = 7;
        readSegment(bad);
        EXPECT_TRUE(wasReported(c.message)) << c.message;
        EXPECT_EQ(photoInfo.orientation, 0);
        EXPECT_EQ(photoInfo.dateTimeCount, 0);
        if (c.at == 8) {
            EXPECT_EQ(motorolaOrder, 7) << "the flag keeps its value";
        }
    }
}

TEST_P(ExifBlockTest, SegmentsShorterThanTheHeaderAreRefusedWithoutReadingPastThem) {
    Bytes good = buildExif(orientationAndDate(GetParam())).segment();
    for (std::size_t length = 0; length < 16; ++length) {
        readSegment(Bytes(good.begin(), good.begin() + static_cast<long>(length)));
        EXPECT_EQ(reportedErrors().size(), 1u) << length;
        EXPECT_EQ(photoInfo.orientation, 0);
    }
    for (std::size_t length = 16; length < good.size(); ++length) readSegment(Bytes(good.begin(), good.begin() + static_cast<long>(length)));
}

TEST_P(ExifBlockTest, FirstDirectoryOffsetOutsideTheUsualRangeIsReportedButFollowed) {
    ExifSpec s = spec();
    s.ifd0 = {shortEntry(0x0112, {1})};
    s.extra = {{shortEntry(0x0112, {8})}};
    ExifBlock block = buildExif(s);
    block.put32(4, block.extra[0]);
    readBlock(block);
    EXPECT_TRUE(wasReported("Suspicious offset of first IFD value"));
    EXPECT_EQ(photoInfo.orientation, 8);
}

TEST_P(ExifBlockTest, FirstDirectoryAtOrPastTheEndIsRefusedAsIllegallySized) {
    ExifBlock block = buildExif(orientationAndDate(GetParam()));
    for (std::uint32_t offset : {block.tiffLength() - 1, block.tiffLength(), block.tiffLength() + 1, 0xFFFFFFF0u}) {
        block.put32(4, offset);
        readBlock(block);
        EXPECT_TRUE(wasReported("Illegally sized directory")) << offset;
        EXPECT_EQ(photoInfo.dateTimeCount, 0);
    }
}

TEST_P(ExifBlockTest, DirectoriesAreWalkedToLevelFourAndNoDeeper) {
    ExifSpec s = spec();
    s.ifd0 = {asciiEntry(0x0132, "2001:01:01 00:00:00")};
    for (int i = 0; i < 5; ++i) s.extra.push_back({asciiEntry(0x9004, "2002:02:02 00:00:00")});
    ExifBlock block = buildExif(s);
    block.put32(block.linkAt(block.ifd0), block.extra[0]);
    for (int i = 0; i < 4; ++i) block.put32(block.linkAt(block.extra[i]), block.extra[i + 1]);
    readBlock(block);
    EXPECT_EQ(photoInfo.dateTimeCount, 5);  // levels 0..4
    EXPECT_TRUE(wasReported("Maximum directory nesting exceeded (corrupt exif header)"));
}

TEST_P(ExifBlockTest, NextLinksJustPastTheEndAreIgnoredQuietlyFartherOnesReported) {
    ExifBlock block = buildExif(orientationAndDate(GetParam()));
    const std::uint32_t length = block.tiffLength();
    for (std::uint32_t past = 1; past < 20; ++past) {
        block.put32(block.linkAt(block.ifd0), length + past);
        readBlock(block);
        EXPECT_TRUE(reportedErrors().empty()) << past << ": " << reportedText();
        EXPECT_EQ(photoInfo.largestExifOffset, length + past);
        EXPECT_EQ(photoInfo.orientation, 6);
    }
    block.put32(block.linkAt(block.ifd0), length + 20);
    readBlock(block);
    EXPECT_TRUE(wasReported("Illegal subdirectory link"));
    EXPECT_EQ(photoInfo.largestExifOffset, length + 20);
}

TEST_P(ExifBlockTest, DirectoryMayEndAtTheBlockEndOrTwoBytesBeforeIt) {
    ExifSpec s = spec();
    s.ifd0 = {shortEntry(0x0112, {6})};
    Bytes whole = buildExif(s).segment();  // the directory and its 4-byte link end the block
    for (std::size_t cut : {4, 2}) {
        Bytes segment(whole.begin(), whole.end() - static_cast<long>(cut));
        segment[1] = static_cast<std::uint8_t>(segment.size());
        readSegment(segment);
        EXPECT_EQ(photoInfo.orientation, 6) << cut;
        EXPECT_TRUE(reportedErrors().empty()) << cut << ": " << reportedText();
    }
    for (std::size_t cut : {3, 1}) {
        Bytes segment(whole.begin(), whole.end() - static_cast<long>(cut));
        segment[1] = static_cast<std::uint8_t>(segment.size());
        readSegment(segment);
        EXPECT_EQ(photoInfo.orientation, 0) << cut;
        EXPECT_TRUE(wasReported("Illegally sized directory")) << cut;
    }
}

TEST_P(ExifBlockTest, ComponentCountsUpTo65536AndFormatsOneToTwelveAreAccepted) {
    ExifSpec s = spec();
    s.ifd0 = {rawEntry(0x9999, kExifByte, 65536, 8), rawEntry(0x9998, kExifByte, 65537, 8),
              rawEntry(0x0112, 0, 1, 6), rawEntry(0x0112, 13, 1, 6), shortEntry(0x0112, {5})};
    readBlock(buildExif(s));
    EXPECT_TRUE(wasReported("Illegal value pointer for tag 9999")) << reportedText();
    EXPECT_TRUE(wasReported("Illegal number of components 65537 for tag 9998"));
    EXPECT_TRUE(wasReported("Illegal number format 0 for tag 0112"));
    EXPECT_TRUE(wasReported("Illegal number format 13 for tag 0112"));
    EXPECT_EQ(photoInfo.orientation, 5);
}

TEST_P(ExifBlockTest, ThumbnailLengthIsCutToTheBlock) {
    ExifSpec s = spec();
    s.ifd1 = ExifEntries{longEntry(0x0201, {5000}), longEntry(0x0202, {4000})};
    s.trailer.resize(8000 - buildExif(s).tiffLength());
    ExifBlock block = buildExif(s);
    ASSERT_EQ(block.tiffLength(), 8000u);
    readBlock(block);
    EXPECT_EQ(photoInfo.thumbnailOffset, 5000u);
    EXPECT_EQ(photoInfo.thumbnailSize, 3000u);
    EXPECT_EQ(photoInfo.thumbnailSizeOffset, static_cast<std::int32_t>(block.valueOf(block.ifd1, 0x0202)));
}

TEST_P(ExifBlockTest, ThumbnailBeyondTheBlockIsNotStored) {
    ExifSpec s = spec();
    s.ifd1 = ExifEntries{longEntry(0x0201, {5000}), longEntry(0x0202, {10})};
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.thumbnailOffset, 0u);
    EXPECT_EQ(photoInfo.thumbnailSize, 0u);
    EXPECT_EQ(photoInfo.thumbnailAtEnd, 0);
}

TEST_P(ExifBlockTest, ThumbnailAtTheEndIsFoundWithItsLengthPosition) {
    const Bytes thumbnail(700, 0xD8);
    ExifBlock block = buildExif(cameraExifSpec(GetParam(), thumbnail));
    readBlock(block);
    EXPECT_EQ(photoInfo.thumbnailOffset, block.thumbnailOffset);
    EXPECT_EQ(photoInfo.thumbnailSize, 700u);
    EXPECT_EQ(photoInfo.thumbnailAtEnd, 1);
    EXPECT_EQ(photoInfo.thumbnailSizeOffset, static_cast<std::int32_t>(block.thumbnailLengthValue));
}

TEST_P(ExifBlockTest, WriteU32RewritesTheThumbnailLengthInTheBlocksOwnOrder) {
    ExifBlock block = buildExif(cameraExifSpec(GetParam(), Bytes(700, 0xD8)));
    Bytes segment = readBlock(block);
    writeU32(segment.data() + 8 + photoInfo.thumbnailSizeOffset, 0x01020304);
    block.payload.assign(segment.begin() + 2, segment.end());
    EXPECT_EQ(block.get32(block.thumbnailLengthValue), 0x01020304u);
    EXPECT_EQ(readU32(segment.data() + 8 + photoInfo.thumbnailSizeOffset), 0x01020304u);
    EXPECT_EQ(readU16(segment.data() + 10), 42u);
}

// A value whose offset lies behind the thumbnail: first built with a placeholder offset, then
// again (same layout) pointing just behind the thumbnail.
ExifBlock valueBehindThumbnail(ExifSpec s, bool inGps) {
    s.thumbnail = Bytes(64, 0xAB);
    s.trailer = Bytes(16, 0x11);
    ExifEntries& dir = inGps ? s.gps.emplace() : s.ifd0;
    dir.push_back(rawEntry(0x9999, kExifUndefined, 16, 0));
    std::uint32_t behind = buildExif(s).thumbnailOffset + 64;
    dir.back().field = behind;
    return buildExif(s);
}

TEST_P(ExifBlockTest, AValueBehindTheThumbnailMeansItIsNotAtTheEnd) {
    readBlock(valueBehindThumbnail(spec(), false));
    EXPECT_NE(photoInfo.thumbnailOffset, 0u);
    EXPECT_EQ(photoInfo.thumbnailAtEnd, 0);
}

TEST_P(ExifBlockTest, GpsValuesBehindTheThumbnailDoNotCount) {
    readBlock(valueBehindThumbnail(spec(), true));
    EXPECT_EQ(photoInfo.gpsInfoPresent, 1);
    EXPECT_EQ(photoInfo.thumbnailAtEnd, 1);
}

TEST_P(ExifBlockTest, IfdZeroThumbnailWinsOverIfdOne) {
    ExifSpec s = spec();
    s.ifd0 = {longEntry(0x0201, {20}), longEntry(0x0202, {4})};
    s.ifd1 = ExifEntries{longEntry(0x0201, {30}), longEntry(0x0202, {6})};
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.thumbnailOffset, 20u);
    EXPECT_EQ(photoInfo.thumbnailSize, 4u);
}

TEST_P(ExifBlockTest, SelfLinksAreWalkedOnce) {
    ExifSpec s = spec();
    s.ifd0 = {asciiEntry(0x0132, "2008:05:17 14:30:00")};
    for (int i = 0; i < 300; ++i) s.ifd0.push_back(rawEntry(0x8769, kExifLong, 1, 8));
    s.ifd0.push_back(rawEntry(0xA005, kExifLong, 1, 8));
    s.ifd0.push_back(rawEntry(0x8825, kExifLong, 1, 8));
    ExifBlock block = buildExif(s);
    block.put32(block.linkAt(block.ifd0), block.ifd0);
    readBlock(block);
    EXPECT_EQ(photoInfo.dateTimeCount, 1);
    EXPECT_TRUE(wasReported("Directory at offset 8 is linked more than once"));
}

TEST_P(ExifBlockTest, OverlappingDirectoriesCannotMultiplyTheWork) {
    // Directory D of M entries, and M - 1 further directories starting inside it at each entry
    // boundary (their counts patched into the bytes just in front), all named from IFD0: walked
    // in full that would be M * M / 2 entries; the walk stops at what the block can hold.
    const int m = 1000;
    ExifSpec s = spec();
    s.extra = {ExifEntries(m, shortEntry(0x9999, {1}))};
    for (int j = 1; j < m; ++j) s.ifd0.push_back(rawEntry(0x8769, kExifLong, 1, 0));
    ExifBlock block = buildExif(s);
    const std::uint32_t d = block.extra[0];
    for (int j = 1; j < m; ++j) {
        block.put32(block.entryAt(block.ifd0, j - 1) + 8, d + 12 * j);
        block.put16(block.entryAt(d, j - 1) + 10, static_cast<std::uint16_t>(m - j));
    }
    readBlock(block);
    bool stopped = false;
    for (const std::string& message : reportedErrors()) stopped |= message.rfind("Too many directory entries", 0) == 0;
    EXPECT_TRUE(stopped) << reportedText();
}

TEST_P(ExifBlockTest, TwoBlocksAccumulateIntoOneRecord) {
    ExifSpec first = spec();
    first.ifd0 = {shortEntry(0x0112, {6}), asciiEntry(0x0132, "2008:05:17 14:30:00")};
    ExifSpec second = spec();
    second.ifd0 = {shortEntry(0x0112, {3}), asciiEntry(0x9003, "2009:01:01 00:00:00")};
    readBlock(buildExif(first));
    Bytes segment = buildExif(second).segment();
    processExifBlock(segment.data(), static_cast<unsigned>(segment.size()));
    EXPECT_EQ(photoInfo.orientation, 3) << "each block takes its own first Orientation";
    EXPECT_EQ(photoInfo.dateTimeCount, 2);
    EXPECT_STREQ(photoInfo.dateTime, "2009:01:01 00:00:00");
}

}  // namespace
