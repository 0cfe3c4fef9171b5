// The sequence the rotation workflow drives: the photograph read for its metadata and kept,
// its transformed copy read for its image data behind the kept entries, the table written back.

#include <gtest/gtest.h>

#include "jpegfile/section_test_helpers.h"
#include "tests/support/exif_builder.h"
#include "tests/support/files.h"

namespace sectiontest {
namespace {

using testsupport::ByteOrder;
using testsupport::ExtraMarker;

const Bytes kXmp = raw("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta xmlns:x='adobe:ns:meta/'/>");
const Bytes kIcc = raw("ICC_PROFILE\0\x01\x01 profile bytes");

Bytes exifPayload(ByteOrder order) {
    return testsupport::buildExif(testsupport::cameraExifSpec(order, Bytes(600, 0x5A))).payload;
}

std::vector<ExtraMarker> markersOfCode(const Bytes& jpeg, int code) {
    std::vector<ExtraMarker> found;
    for (const ExtraMarker& marker : testsupport::listMarkers(jpeg))
        if (marker.code == code) found.push_back(marker);
    return found;
}

class MetadataCarryTest : public SectionTableTest {
protected:
    testsupport::TempDir folder;
    std::string path = folder.file("photo.jpg");

    void SetUp() override {
        SectionTableTest::SetUp();
        resetPhotoInfo(path.c_str());
    }

    // The photograph on disk, read for its metadata and kept; true when the read succeeded.
    bool keepFrom(const Bytes& photograph) {
        testsupport::writeFile(path, photograph);
        if (!loadJpegFile(path.c_str(), ReadMetadata)) return false;
        keepExifAndComment();
        return true;
    }

    // The transformed copy put in the photograph's place, read behind the kept entries, written back.
    Bytes carryInto(const Bytes& transformed) {
        testsupport::writeFile(path, transformed);
        EXPECT_EQ(loadJpegFile(path.c_str(), ReadImageData), 1);
        EXPECT_EQ(writeSectionsToFile(path.c_str()), 1);
        return testsupport::readFile(path);
    }
};

testsupport::JpegSpec photoSpec(std::vector<ExtraMarker> markers, std::uint32_t seed = 1) {
    testsupport::JpegSpec spec;
    spec.width = 40;
    spec.height = 24;
    spec.seed = seed;
    spec.markers = std::move(markers);
    return spec;
}

// A copy made through libjpeg that carries the photograph's markers, as the transcoder's is.
Bytes transformedCopy(const std::vector<ExtraMarker>& markers) {
    testsupport::JpegSpec spec = photoSpec(markers, 7);
    spec.width = 24;
    spec.height = 40;
    return testsupport::makeJpeg(spec);
}

TEST_F(MetadataCarryTest, XmpIccAndSecondCommentSurviveBesideTheKeptExifAndComment) {
    Bytes keptExif = exifPayload(ByteOrder::Motorola);
    std::vector<ExtraMarker> markers = {
        {0xE1, keptExif}, {0xE1, kXmp}, {0xE2, kIcc}, {0xFE, text("first comment")}, {0xFE, text("second comment")}};
    ASSERT_TRUE(keepFrom(testsupport::makeJpeg(photoSpec(markers))));
    ASSERT_EQ(markerCodes(), (std::vector<int>{0xE1, 0xFE}));
    EXPECT_STREQ(photoInfo.comments, "first comment");

    // The copy's own Exif block differs, so that the kept one can be told from it.
    std::vector<ExtraMarker> copied = markers;
    copied[0].data = exifPayload(ByteOrder::Intel);
    Bytes transformed = transformedCopy(copied);
    Bytes result = carryInto(transformed);

    EXPECT_EQ(Bytes(result.begin(), result.begin() + 4), (Bytes{0xFF, 0xD8, 0xFF, 0xE1}));
    std::vector<ExtraMarker> app1 = markersOfCode(result, 0xE1);
    ASSERT_EQ(app1.size(), 2u);
    EXPECT_EQ(app1[0].data, keptExif);
    EXPECT_EQ(app1[1].data, kXmp);
    std::vector<ExtraMarker> icc = markersOfCode(result, 0xE2);
    ASSERT_EQ(icc.size(), 1u);
    EXPECT_EQ(icc[0].data, kIcc);
    std::vector<ExtraMarker> comments = markersOfCode(result, 0xFE);
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(comments[0].data, text("first comment"));
    EXPECT_EQ(comments[1].data, text("second comment"));
    EXPECT_TRUE(markersOfCode(result, 0xE0).empty());

    testsupport::JpegCoefficients expected = testsupport::readCoefficients(transformed);
    testsupport::JpegCoefficients actual = testsupport::readCoefficients(result);
    EXPECT_EQ(actual.width, 24);
    EXPECT_EQ(actual.height, 40);
    ASSERT_EQ(actual.components.size(), expected.components.size());
    for (size_t c = 0; c < actual.components.size(); ++c)
        EXPECT_EQ(actual.components[c].blocks, expected.components[c].blocks) << c;
}

TEST_F(MetadataCarryTest, JfifPhotographWithoutExifGetsTheJfifHeaderAndNoOtherApp0) {
    ASSERT_TRUE(keepFrom(testsupport::makeJpeg(photoSpec({}))));
    EXPECT_EQ(sectionTable.count, 0);
    Bytes result = carryInto(transformedCopy({}));
    Bytes head(kJfifHeader, kJfifHeader + kJfifHeaderSize);
    head.insert(head.begin(), {0xFF, 0xD8});
    EXPECT_EQ(Bytes(result.begin(), result.begin() + 20), head);
    EXPECT_EQ(markersOfCode(result, 0xE0).size(), 1u);
    EXPECT_NO_THROW(testsupport::readCoefficients(result));
}

TEST_F(MetadataCarryTest, NothingKeptMeansNothingOfTheCopysMetadataIsDropped) {
    // The photograph fails the metadata read (here: it is no JPEG at all), so nothing is kept.
    EXPECT_FALSE(keepFrom(text("not a JPEG file")));
    std::vector<ExtraMarker> markers = {
        {0xE1, exifPayload(ByteOrder::Intel)}, {0xE1, kXmp}, {0xFE, text("one")}, {0xFE, text("two")}};
    Bytes result = carryInto(transformedCopy(markers));
    std::vector<ExtraMarker> app1 = markersOfCode(result, 0xE1);
    ASSERT_EQ(app1.size(), 2u);
    EXPECT_EQ(app1[0].data, markers[0].data);
    EXPECT_EQ(app1[1].data, kXmp);
    EXPECT_EQ(markersOfCode(result, 0xFE).size(), 2u);
}

TEST_F(MetadataCarryTest, KeptCommentAloneReplacesOnlyTheFirstCommentAndLeavesTheCopysExif) {
    ASSERT_TRUE(keepFrom(testsupport::makeJpeg(photoSpec({{0xFE, text("kept")}}))));
    Bytes copyExif = exifPayload(ByteOrder::Intel);
    Bytes result = carryInto(transformedCopy({{0xE1, copyExif}, {0xFE, text("copy 1")}, {0xFE, text("copy 2")}}));
    std::vector<ExtraMarker> comments = markersOfCode(result, 0xFE);
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(comments[0].data, text("kept"));
    EXPECT_EQ(comments[1].data, text("copy 2"));
    std::vector<ExtraMarker> app1 = markersOfCode(result, 0xE1);
    ASSERT_EQ(app1.size(), 1u);
    EXPECT_EQ(app1[0].data, copyExif);
}

// The order of the table after the sequence, with hand-made files.
TEST_F(SectionTableTest, KeptEntriesLeadAndTheSecondFilesSegmentsFollowInOrder) {
    Bytes first = handMadeFile({segment(0xE0, text("JFIF")), segment(0xE1, raw("Exif\0\0A")), segment(0xDB, {1}),
                                segment(0xFE, text("A comment"))});
    ASSERT_EQ(readFromMemory(first, ReadMetadata), 1);
    keepExifAndComment();
    Bytes second = handMadeFile({segment(0xE0, text("JFIF")), segment(0xE1, raw("Exif\0\0B")), segment(0xDB, {2}),
                                 segment(0xFE, text("B comment")), segment(0xC0, {8, 0, 1, 0, 1, 1, 1, 0x11, 0})});
    ASSERT_EQ(readFromMemory(second, ReadImageData), 1);
    EXPECT_EQ(markerCodes(), (std::vector<int>{0xE1, 0xFE, 0xDB, 0xC0, 0xDA, ImageDataMarker}));
    ASSERT_NE(findSectionByMarker(0xE1), nullptr);
    EXPECT_EQ(payloadOf(*findSectionByMarker(0xE1)), raw("Exif\0\0A"));
    EXPECT_EQ(payloadOf(sectionTable.entries[1]), text("A comment"));
    EXPECT_EQ(payloadOf(sectionTable.entries[2]), (Bytes{2}));
}

}  // namespace
}  // namespace sectiontest
