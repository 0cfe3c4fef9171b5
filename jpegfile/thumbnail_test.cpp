#include "jpegfile/thumbnail.h"

#include <gtest/gtest.h>

#include "exif/byte_order.h"
#include "exif/exif_block.h"
#include "jpegfile/section_test_helpers.h"
#include "tests/support/exif_builder.h"
#include "tests/support/files.h"

namespace sectiontest {
namespace {

using testsupport::ByteOrder;

Bytes patternBytes(size_t size, std::uint8_t seed) {
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(seed + i * 7);
    return out;
}

// The APP1 entry of a read with ReadMetadata, and photoInfo's thumbnail fields as the Exif reader
// records them for that block, set here from what the builder placed.
class ThumbnailTest : public SectionTableTest {
protected:
    testsupport::TempDir folder;
    testsupport::ExifBlock block;

    void loadExif(ByteOrder order, const Bytes& thumbnail) {
        block = testsupport::buildExif(testsupport::cameraExifSpec(order, thumbnail));
        ASSERT_EQ(readFromMemory(handMadeFile({segment(0xE1, block.payload)}), ReadMetadata), 1);
        keepExifAndComment();
        photoInfo.thumbnailOffset = block.thumbnailOffset;
        photoInfo.thumbnailSize = static_cast<std::uint32_t>(thumbnail.size());
        photoInfo.thumbnailSizeOffset = static_cast<std::int32_t>(block.thumbnailLengthValue);
        photoInfo.thumbnailAtEnd = 1;
        motorolaOrder = order == ByteOrder::Motorola ? 1 : 0;
    }

    JpegSection& exifEntry() { return sectionTable.entries[0]; }

    std::string fileWith(const Bytes& bytes) {
        std::string path = folder.file("new.tho");
        testsupport::writeFile(path, bytes);
        return path;
    }
};

TEST_F(ThumbnailTest, ExportWritesExactlyTheThumbnailBytes) {
    Bytes thumbnail = patternBytes(5000, 3);
    loadExif(ByteOrder::Intel, thumbnail);
    std::string path = folder.file("out.thi");
    ASSERT_EQ(exportThumbnail(path.c_str()), 1);
    Bytes exported = testsupport::readFile(path);
    EXPECT_EQ(exported, thumbnail);
    size_t start = 8 + block.thumbnailOffset;
    EXPECT_EQ(exported, Bytes(exifEntry().bytes + start, exifEntry().bytes + start + 5000));
}

// With the Exif reader's own description of the block: the rotation workflow's round trip.
TEST_F(ThumbnailTest, RoundTripThroughTheExifReadersDescription) {
    for (ByteOrder order : {ByteOrder::Intel, ByteOrder::Motorola}) {
        releaseSections();
        Bytes thumbnail = patternBytes(3000, 11);
        block = testsupport::buildExif(testsupport::cameraExifSpec(order, thumbnail));
        ASSERT_EQ(readFromMemory(handMadeFile({segment(0xE1, block.payload)}), ReadMetadata), 1);
        keepExifAndComment();
        ASSERT_EQ(photoInfo.thumbnailOffset, block.thumbnailOffset);
        ASSERT_EQ(photoInfo.thumbnailSize, 3000u);
        ASSERT_EQ(photoInfo.thumbnailAtEnd, 1);
        std::string exported = folder.file("out.thi");
        ASSERT_EQ(exportThumbnail(exported.c_str()), 1);
        EXPECT_EQ(testsupport::readFile(exported), thumbnail);

        Bytes replacement = patternBytes(2500, 77);
        ASSERT_EQ(importThumbnail(fileWith(replacement).c_str()), 1);
        JpegSection& exif = exifEntry();
        clearPhotoInfo();
        processExifBlock(exif.bytes, static_cast<unsigned>(exif.byteCount));
        EXPECT_EQ(photoInfo.thumbnailOffset, block.thumbnailOffset);
        EXPECT_EQ(photoInfo.thumbnailSize, 2500u);
        ASSERT_EQ(exportThumbnail(exported.c_str()), 1);
        EXPECT_EQ(testsupport::readFile(exported), replacement);
    }
}

TEST_F(ThumbnailTest, ExportWithoutThumbnailWritesNothing) {
    loadExif(ByteOrder::Intel, patternBytes(100, 1));
    photoInfo.thumbnailSize = 0;
    std::string path = folder.file("out.thi");
    testing::internal::CaptureStdout();
    EXPECT_EQ(exportThumbnail(path.c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Image contains no thumbnail\n");
    EXPECT_FALSE(testsupport::fileExists(path));
}

TEST_F(ThumbnailTest, ExportToAnUnwritablePlaceIsReported) {
    loadExif(ByteOrder::Intel, patternBytes(100, 1));
    EXPECT_EQ(exportThumbnail(folder.file("gone/out.thi").c_str()), 0);
    EXPECT_TRUE(reported("Could not write thumbnail file"));
}

TEST_F(ThumbnailTest, ExportRefusesAThumbnailOutsideTheSegment) {
    loadExif(ByteOrder::Intel, patternBytes(100, 1));
    photoInfo.thumbnailSize = 101;
    std::string path = folder.file("out.thi");
    EXPECT_EQ(exportThumbnail(path.c_str()), 0);
    EXPECT_FALSE(testsupport::fileExists(path));
}

void expectThumbnailLengthValue(const JpegSection& exif, std::uint32_t at, ByteOrder order, std::uint32_t value) {
    const unsigned char* bytes = exif.bytes + 8 + at;
    Bytes expected = order == ByteOrder::Motorola
                         ? Bytes{Bytes::value_type(value >> 24), Bytes::value_type(value >> 16),
                                 Bytes::value_type(value >> 8), Bytes::value_type(value)}
                         : Bytes{Bytes::value_type(value), Bytes::value_type(value >> 8),
                                 Bytes::value_type(value >> 16), Bytes::value_type(value >> 24)};
    EXPECT_EQ(Bytes(bytes, bytes + 4), expected);
}

class ImportTest : public ThumbnailTest, public ::testing::WithParamInterface<ByteOrder> {
protected:
    void SetUp() override { ThumbnailTest::SetUp(); }
    void TearDown() override { ThumbnailTest::TearDown(); }

    // Imports `size` new bytes over a 5,000-byte thumbnail and checks the entry around them.
    void importAndCheck(size_t size) {
        loadExif(GetParam(), patternBytes(5000, 3));
        Bytes before = bytesOf(exifEntry());
        Bytes replacement = patternBytes(size, 99);
        ASSERT_EQ(importThumbnail(fileWith(replacement).c_str()), 1);

        size_t start = 8 + block.thumbnailOffset;
        size_t length = start + size;
        const JpegSection& exif = exifEntry();
        ASSERT_EQ(exif.byteCount, static_cast<std::int32_t>(length));
        EXPECT_EQ(exif.bytes[0], length >> 8);
        EXPECT_EQ(exif.bytes[1], length & 0xFF);
        EXPECT_EQ(Bytes(exif.bytes + 2, exif.bytes + 8), Bytes(before.begin() + 2, before.begin() + 8));
        EXPECT_EQ(Bytes(exif.bytes + start, exif.bytes + length), replacement);
        EXPECT_EQ(photoInfo.thumbnailSize, size);
        expectThumbnailLengthValue(exif, block.thumbnailLengthValue, GetParam(), static_cast<std::uint32_t>(size));
        // Everything between the header and the thumbnail but the ThumbnailLength value is untouched.
        Bytes after = bytesOf(exif);
        for (size_t i = 2; i < start; ++i) {
            if (i >= 8 + block.thumbnailLengthValue && i < 12 + block.thumbnailLengthValue) continue;
            ASSERT_EQ(after[i], before[i]) << i;
        }
    }
};

TEST_P(ImportTest, SmallerThumbnailShrinksTheEntry) { importAndCheck(4000); }
TEST_P(ImportTest, LargerThumbnailGrowsTheEntry) { importAndCheck(6000); }
TEST_P(ImportTest, EmptyThumbnailEndsTheSegmentAtItsOffset) { importAndCheck(0); }

TEST_P(ImportTest, ThumbnailLengthBytesForFourThousand) {
    importAndCheck(4000);
    const unsigned char* value = exifEntry().bytes + 8 + block.thumbnailLengthValue;
    Bytes expected = GetParam() == ByteOrder::Motorola ? Bytes{0x00, 0x00, 0x0F, 0xA0} : Bytes{0xA0, 0x0F, 0x00, 0x00};
    EXPECT_EQ(Bytes(value, value + 4), expected);
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, ImportTest, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola));

// A hand-made Exif entry with its thumbnail at offset 60,000, as the reader would describe it.
class LargeOffsetTest : public ThumbnailTest {
protected:
    static constexpr std::uint32_t kOffset = 60000;

    void SetUp() override {
        ThumbnailTest::SetUp();
        Bytes payload = text(std::string("Exif\0\0MM\0\x2a\0\0\0\x08", 14));
        payload.resize(6 + kOffset + 100, 0x00);  // an empty first directory, then filler
        ASSERT_EQ(readFromMemory(handMadeFile({segment(0xE1, payload)}), ReadMetadata), 1);
        keepExifAndComment();
        clearReportedErrors();
        photoInfo.thumbnailOffset = kOffset;
        photoInfo.thumbnailSize = 100;
        photoInfo.thumbnailSizeOffset = 20;
        photoInfo.thumbnailAtEnd = 1;
        motorolaOrder = 1;
    }
};

TEST_F(LargeOffsetTest, ThumbnailEndingExactlyAtTheLimitIsAccepted) {
    ASSERT_EQ(importThumbnail(fileWith(patternBytes(5516, 1)).c_str()), 1);
    EXPECT_EQ(exifEntry().byteCount, 65524);
    EXPECT_EQ(exifEntry().bytes[0], 0xFF);
    EXPECT_EQ(exifEntry().bytes[1], 0xF4);
}

TEST_F(LargeOffsetTest, OneByteMoreIsRefusedAndTheEntryStaysAsItWas) {
    Bytes before = bytesOf(exifEntry());
    EXPECT_EQ(importThumbnail(fileWith(patternBytes(5517, 1)).c_str()), 0);
    EXPECT_TRUE(reported("Thumbnail is too large to insert into exif header"));
    EXPECT_EQ(bytesOf(exifEntry()), before);
    EXPECT_EQ(photoInfo.thumbnailSize, 100u);
}

TEST_F(ThumbnailTest, ThumbnailFollowedByOtherDataIsNotReplacedButStillExported) {
    loadExif(ByteOrder::Motorola, patternBytes(300, 5));
    photoInfo.thumbnailAtEnd = 0;
    Bytes before = bytesOf(exifEntry());
    testing::internal::CaptureStdout();
    EXPECT_EQ(importThumbnail(fileWith(patternBytes(200, 1)).c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Image contains no thumbnail to replace - add is not possible\n");
    EXPECT_EQ(bytesOf(exifEntry()), before);
    EXPECT_EQ(exportThumbnail(folder.file("out.thi").c_str()), 1);
    EXPECT_EQ(testsupport::readFile(folder.file("out.thi")), patternBytes(300, 5));
}

TEST_F(ThumbnailTest, MissingNewThumbnailFileLeavesTheEntryAsItWas) {
    loadExif(ByteOrder::Intel, patternBytes(300, 5));
    Bytes before = bytesOf(exifEntry());
    EXPECT_EQ(importThumbnail(folder.file("missing.tho").c_str()), 0);
    EXPECT_TRUE(reported("Could not read thumbnail file"));
    EXPECT_EQ(bytesOf(exifEntry()), before);
}

TEST_F(ThumbnailTest, NewThumbnailThatCannotBeMeasuredIsRefused) {
    loadExif(ByteOrder::Intel, patternBytes(300, 5));
    Bytes before = bytesOf(exifEntry());
    EXPECT_EQ(importThumbnail(folder.path().c_str()), 0);  // a folder opens but does not read
    EXPECT_EQ(bytesOf(exifEntry()), before);
}

// Values that do not describe the block in hand must not lead to writes outside it or into the
// TIFF header.
TEST_F(ThumbnailTest, LengthValuePositionOutsideTheDirectoriesIsRefused) {
    loadExif(ByteOrder::Intel, patternBytes(300, 5));
    Bytes before = bytesOf(exifEntry());
    for (std::int32_t badPosition : {0, 4, -8, static_cast<std::int32_t>(block.thumbnailOffset) - 3, 1 << 30}) {
        photoInfo.thumbnailSizeOffset = badPosition;
        EXPECT_EQ(importThumbnail(fileWith(patternBytes(10, 1)).c_str()), 0) << badPosition;
        EXPECT_EQ(bytesOf(exifEntry()), before);
    }
}

TEST_F(ThumbnailTest, ThumbnailOffsetPastTheSegmentIsRefused) {
    loadExif(ByteOrder::Intel, patternBytes(300, 5));
    photoInfo.thumbnailOffset = static_cast<std::uint32_t>(exifEntry().byteCount);
    EXPECT_EQ(importThumbnail(fileWith(patternBytes(10, 1)).c_str()), 0);
    photoInfo.thumbnailOffset = 0xFFFFFFF0u;
    EXPECT_EQ(importThumbnail(fileWith(patternBytes(10, 1)).c_str()), 0);
    EXPECT_EQ(exportThumbnail(folder.file("out.thi").c_str()), 0);
}

TEST_F(ThumbnailTest, WithoutAnExifEntryNothingIsExportedOrImported) {
    photoInfo.thumbnailOffset = 100;
    photoInfo.thumbnailSize = 10;
    photoInfo.thumbnailSizeOffset = 20;
    photoInfo.thumbnailAtEnd = 1;
    EXPECT_EQ(exportThumbnail(folder.file("out.thi").c_str()), 0);
    EXPECT_EQ(importThumbnail(fileWith(patternBytes(10, 1)).c_str()), 0);
}

}  // namespace
}  // namespace sectiontest
