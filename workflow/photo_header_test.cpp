#include "workflow/photo_header.h"

#include <gtest/gtest.h>

#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using namespace testsupport;

// A header longer than the first piece is read in further pieces and gives the record a whole
// read gives; a file that is no JPEG is refused from its first bytes.
TEST(PhotoHeader, ReadsAsFarAsTheSegmentsReachAndNoFurther) {
    TempDir dir;
    JpegSpec recipe;
    for (int i = 0; i < 5; ++i) recipe.markers.push_back({0xE4, Bytes(60000, std::uint8_t(i))});
    const Bytes photo = makeJpeg(recipe);
    ASSERT_GT(photo.size(), 4 * kFirstHeaderRead);
    writeFile(dir.file("big.jpg"), photo);
    writeFile(dir.file("text.jpg"), Bytes(200000, 'x'));
    platform::SourceFile source;
    ASSERT_EQ(source.open(dir.file("big.jpg"), nullptr), platform::SourceFile::Status::Ok);
    const Result<PhotoRecord> header = readPhotoHeader(source, "big.jpg");
    ASSERT_TRUE(header.ok()) << header.refusal().text();
    const Result<PhotoRecord> whole = readPhotoRecord(photo.data(), photo.size(), "big.jpg");
    EXPECT_EQ(header.value().segments.size(), whole.value().segments.size());
    EXPECT_EQ(header.value().pictureDataAt, whole.value().pictureDataAt);
    ASSERT_EQ(source.open(dir.file("text.jpg"), nullptr), platform::SourceFile::Status::Ok);
    EXPECT_EQ(readPhotoHeader(source, "text.jpg").refusal().reason, RefusalReason::NotJpeg);
}

}  // namespace
