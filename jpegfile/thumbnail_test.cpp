#include "jpegfile/thumbnail.h"

#include "jpegfile/section_test_helpers.h"
#include "tests/support/exif_builder.h"

namespace sectiontest {
namespace {

// The photograph's Exif APP1 read with ReadMetadata and kept, as the rotation workflow leaves it.
class ThumbnailTest : public SectionTableTest, public ::testing::WithParamInterface<ByteOrder> {
protected:
    ExifBlock block;
    std::string out = folder.file("out.thi"), in = folder.file("new.tho");

    void keepExif(const ExifSpec& recipe) {
        releaseSections();
        block = buildExif(recipe);
        ASSERT_EQ(readFromMemory(handMadeFile({segment(0xE1, block.payload)}), ReadMetadata), 1);
        keepExifAndComment();
    }
    JpegSection& exif() { return sectionTable.entries[0]; }
};

TEST_P(ThumbnailTest, ExportWritesTheThumbnailAndImportResizesTheEntryKeepingBothLengthsInStep) {
    for (size_t size : {4000, 6000, 0}) {
        SCOPED_TRACE(size);
        keepExif(cameraExifSpec(GetParam(), Bytes(5000, 0x33)));
        const size_t start = 8 + block.thumbnailOffset, length = start + size;
        Bytes before = bytesOf(exif());
        ASSERT_EQ(exportThumbnail(out.c_str()), 1);
        EXPECT_EQ(readFile(out), Bytes(before.begin() + start, before.end()));

        writeFile(in, Bytes(size, 0x99));
        ASSERT_EQ(importThumbnail(in.c_str()), 1);
        ExifBlock expected = block;  // the old block up to the thumbnail, the new one, its new length
        expected.payload = join(Bytes(before.begin() + 2, before.begin() + start), Bytes(size, 0x99));
        expected.put32(block.thumbnailLengthValue, static_cast<std::uint32_t>(size));
        EXPECT_EQ(bytesOf(exif()), join({std::uint8_t(length >> 8), std::uint8_t(length)}, expected.payload));
        EXPECT_EQ(photoInfo.thumbnailSize, size);
    }
}

// Values that do not describe the block in hand, a file that cannot be read or a thumbnail that
// would not fit the 16-bit length field change nothing; one ending at byte 65,516 still fits.
TEST_P(ThumbnailTest, RefusalsLeaveEverythingAsItWas) {
    ExifSpec recipe = cameraExifSpec(GetParam(), Bytes(100, 0x33));
    recipe.ifd0.push_back(bytesEntry(0xABCD, kExifUndefined, Bytes(59000, 0)));
    keepExif(recipe);
    const PhotoInfo described = photoInfo;
    const Bytes before = bytesOf(exif());
    auto refused = [&](const std::string& from, bool exportToo) {
        EXPECT_EQ(importThumbnail(from.c_str()), 0);
        EXPECT_FALSE(exportToo && exportThumbnail(out.c_str()));
        EXPECT_EQ(bytesOf(exif()), before);
        photoInfo = described;
    };
    const size_t room = 65516 - block.thumbnailOffset;
    writeFile(in, Bytes(room + 1, 0x99));
    refused(in, false);
    EXPECT_EQ(reportedErrors(), Texts{"Thumbnail is too large to insert into exif header"});
    refused(folder.file("missing.tho"), false);
    writeFile(in, Bytes(10, 0x99));
    for (std::int32_t at : {4, -8, std::int32_t(block.thumbnailOffset) - 3, 1 << 30}) {
        photoInfo.thumbnailSizeOffset = at;
        refused(in, false);
    }
    for (std::uint32_t at : {std::uint32_t(before.size()), 0xFFFFFFF0u}) {
        photoInfo.thumbnailOffset = at;
        refused(in, true);
    }
    exif().markerCode = 0xE2;
    refused(in, true);
    exif().markerCode = 0xE1;
    EXPECT_EQ(listFolder(folder.path()), Texts{"new.tho"});

    photoInfo.thumbnailAtEnd = 0;  // followed by other data: exported, but never replaced
    ASSERT_EQ(exportThumbnail(out.c_str()), 1);
    EXPECT_EQ(readFile(out), Bytes(100, 0x33));
    testing::internal::CaptureStdout();
    refused(in, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Image contains no thumbnail to replace - add is not possible\n");
    photoInfo.thumbnailSize = 0;
    EXPECT_EQ(exportThumbnail(folder.file("none.thi").c_str()), 0);
    EXPECT_FALSE(fileExists(folder.file("none.thi")));

    photoInfo = described;
    writeFile(in, Bytes(room, 0x99));
    ASSERT_EQ(importThumbnail(in.c_str()), 1);
    EXPECT_EQ(Bytes(exif().bytes, exif().bytes + 2), (Bytes{0xFF, 0xF4}));
    EXPECT_EQ(exif().byteCount, 65524);
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, ThumbnailTest, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola));

}  // namespace
}  // namespace sectiontest
