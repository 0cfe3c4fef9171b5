#include <unistd.h>

#include <gtest/gtest.h>

#include "jpegfile/section_test_helpers.h"
#include "tests/support/files.h"

namespace sectiontest {
namespace {

using ReaderTest = SectionTableTest;

const Bytes kExifPayload = text(std::string("Exif\0\0MM\0\x2a\0\0\0\x08\0\0", 16));
const Bytes kXmpPayload = raw("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>");
const Bytes kDqt = segment(0xDB, Bytes(65, 1));

TEST_F(ReaderTest, MetadataReadKeepsExifAndFirstCommentAndDropsTheRestOfTheirKind) {
    Bytes file = handMadeFile({segment(0xE0, text("JFIF")), segment(0xE1, kExifPayload), segment(0xE1, kXmpPayload),
                               segment(0xFE, text("first")), segment(0xFE, text("second")), kDqt});
    ASSERT_EQ(readFromMemory(file, ReadMetadata), 1);
    EXPECT_EQ(markerCodes(), (std::vector<int>{0xE1, 0xFE, 0xDB, 0xDA}));
    EXPECT_EQ(payloadOf(sectionTable.entries[0]), kExifPayload);
    EXPECT_EQ(payloadOf(sectionTable.entries[1]), text("first"));
    EXPECT_STREQ(photoInfo.comments, "first");
    EXPECT_EQ(sectionTable.imageDataLoaded, 0);
}

TEST_F(ReaderTest, OnlyTheFourLettersExifMakeAnApp1TheExifBlock) {
    Bytes file = handMadeFile({segment(0xE1, text("Exi")), segment(0xE1, raw("exif\0\0")),
                               segment(0xE1, text("Exifxx"))});
    ASSERT_EQ(readFromMemory(file, ReadMetadata), 1);
    ASSERT_EQ(markerCodes(), (std::vector<int>{0xE1, 0xDA}));
    EXPECT_EQ(payloadOf(sectionTable.entries[0]), text("Exifxx"));
}

TEST_F(ReaderTest, WithoutEitherBitEveryApp0App1AndCommentIsDropped) {
    Bytes file = handMadeFile({segment(0xE0, text("JFIF")), segment(0xE1, kExifPayload), segment(0xFE, text("c")),
                               segment(0xE2, text("ICC"))});
    ASSERT_EQ(readFromMemory(file, 0), 1);
    EXPECT_EQ(markerCodes(), (std::vector<int>{0xE2, 0xDA}));
}

TEST_F(ReaderTest, FrameHeaderFillsSizeColourAndProcessAndTheLastFrameWins) {
    Bytes file = handMadeFile({segment(0xC0, {8, 0x01, 0x02, 0x03, 0x04, 1, 1, 0x11, 0}),
                               segment(0xC2, {8, 0x00, 0x20, 0x00, 0x40, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1})});
    ASSERT_EQ(readFromMemory(file, ReadMetadata), 1);
    EXPECT_EQ(photoInfo.height, 0x20);
    EXPECT_EQ(photoInfo.width, 0x40);
    EXPECT_EQ(photoInfo.isColor, 1);
    EXPECT_EQ(photoInfo.process, 0xC2);
}

TEST_F(ReaderTest, ShortFrameHeaderIsKeptButNotReadPastItsEnd) {
    Bytes file = handMadeFile({segment(0xC0, {8, 0x01})});
    ASSERT_EQ(readFromMemory(file, ReadMetadata), 1);
    EXPECT_EQ(photoInfo.process, 0);
    EXPECT_EQ(markerCodes(), (std::vector<int>{0xC0, 0xDA}));
}

Bytes fileWithFillBytes(int fillBytes) {
    Bytes file{0xFF, 0xD8};
    file.insert(file.end(), static_cast<size_t>(fillBytes), 0xFF);
    Bytes rest = handMadeFile({kDqt});
    file.insert(file.end(), rest.begin() + 2, rest.end());
    return file;
}

TEST_F(ReaderTest, FiveFillBytesAreAcceptedAndSixAreTooMany) {
    ASSERT_EQ(readFromMemory(fileWithFillBytes(5), ReadImageData), 1);
    EXPECT_EQ(markerCodes(), (std::vector<int>{0xDB, 0xDA, ImageDataMarker}));
    releaseSections();

    testing::internal::CaptureStdout();
    EXPECT_EQ(readFromMemory(fileWithFillBytes(6), ReadImageData), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "too many padding bytes\n");
}

TEST_F(ReaderTest, MarkerCodeWithoutPrefixIsTakenAllTheSame) {
    Bytes file{0xFF, 0xD8, 0xDB, 0x00, 0x03, 0x07};
    Bytes rest = handMadeFile({});
    file.insert(file.end(), rest.begin() + 2, rest.end());
    ASSERT_EQ(readFromMemory(file, 0), 1);
    EXPECT_EQ(markerCodes(), (std::vector<int>{0xDB, 0xDA}));
}

TEST_F(ReaderTest, ImageDataHoldsEverythingAfterScanHeaderIncludingBytesAfterEoi) {
    Bytes tail = scanBytes();
    Bytes trailing = text("trailing bytes after EOI");
    tail.insert(tail.end(), trailing.begin(), trailing.end());
    Bytes file = handMadeFile({kDqt}, tail);
    ASSERT_EQ(readFromMemory(file, ReadImageData), 1);
    ASSERT_EQ(markerCodes(), (std::vector<int>{0xDB, 0xDA, ImageDataMarker}));
    EXPECT_EQ(bytesOf(sectionTable.entries[2]), tail);
    EXPECT_EQ(sectionTable.imageDataLoaded, 1);
    Bytes expected{0xFF, 0xD8};
    expected.insert(expected.end(), kJfifHeader, kJfifHeader + kJfifHeaderSize);
    expected.insert(expected.end(), file.begin() + 2, file.end());
    EXPECT_EQ(writtenTable(), expected);
}

TEST_F(ReaderTest, ScanHeaderAtTheEndOfTheFileGivesEmptyImageData) {
    ASSERT_EQ(readFromMemory(handMadeFile({}, {}), ReadImageData), 1);
    ASSERT_EQ(markerCodes(), (std::vector<int>{0xDA, ImageDataMarker}));
    EXPECT_EQ(sectionTable.entries[1].byteCount, 0);
}

// Image data is measured by seeking; a stream that cannot seek has no measurable remainder.
TEST_F(ReaderTest, ImageDataOfAStreamThatCannotSeekFailsTheRead) {
    Bytes file = handMadeFile({kDqt});
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], file.data(), file.size()), static_cast<ssize_t>(file.size()));
    ::close(ends[1]);
    FILE* stream = ::fdopen(ends[0], "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readSectionsFromStream(stream, ReadImageData), 0);
    std::fclose(stream);
    EXPECT_TRUE(reported("could not read the rest of the image"));
    EXPECT_EQ(sectionTable.imageDataLoaded, 0);
    EXPECT_EQ(markerCodes(), (std::vector<int>{0xDB, 0xDA}));
}

TEST_F(ReaderTest, RefusedStartsAndEarlyEndsGiveResultZero) {
    EXPECT_EQ(readFromMemory({0xFF, 0xD9}, ReadMetadata), 0);
    EXPECT_EQ(readFromMemory({0xFF}, ReadMetadata), 0);
    EXPECT_TRUE(reportedErrors().empty());

    testing::internal::CaptureStdout();
    EXPECT_EQ(readFromMemory({0xFF, 0xD8, 0xFF, 0xD9, 0x00, 0x02}, ReadMetadata), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No image in jpeg!\n");

    EXPECT_EQ(readFromMemory({0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x01}, ReadMetadata), 0);
    EXPECT_TRUE(reported("invalid marker"));
    clearReportedErrors();
    EXPECT_EQ(readFromMemory({0xFF, 0xD8, 0xFF, 0xDB}, ReadMetadata), 0);
    EXPECT_TRUE(reported("invalid marker"));
    clearReportedErrors();
    EXPECT_EQ(readFromMemory({0xFF, 0xD8, 0xFF, 0xFF}, ReadMetadata), 0);
    EXPECT_TRUE(reported("invalid marker"));
}

// Bytes announced but never read must not reach a written file: the entry is cut to what was read.
TEST_F(ReaderTest, SegmentCutShortIsShrunkToWhatWasReadWithAMatchingLength) {
    Bytes file{0xFF, 0xD8, 0xFF, 0xE2, 0x01, 0x00, 'a', 'b', 'c'};
    EXPECT_EQ(readFromMemory(file, ReadImageData), 0);
    EXPECT_TRUE(reported("Premature end of file?"));
    EXPECT_TRUE(reported("invalid marker"));
    ASSERT_EQ(sectionTable.count, 1);
    const JpegSection& entry = sectionTable.entries[0];
    EXPECT_EQ(entry.byteCount, 5);
    EXPECT_EQ(bytesOf(entry), (Bytes{0x00, 0x05, 'a', 'b', 'c'}));
}

TEST_F(ReaderTest, CommentCutShortIsCleanedFromTheBytesReadOnly) {
    Bytes file{0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x40, 'h', 'i'};
    EXPECT_EQ(readFromMemory(file, ReadMetadata), 0);
    EXPECT_STREQ(photoInfo.comments, "hi");
    EXPECT_EQ(sectionTable.entries[0].byteCount, 4);
}

TEST_F(ReaderTest, NothingIsStoredPastTheHundredthEntry) {
    std::vector<Bytes> many(100, kDqt);
    EXPECT_EQ(readFromMemory(handMadeFile(many), ReadMetadata), 0);
    EXPECT_TRUE(reported("Too many sections in jpg file"));
    EXPECT_EQ(sectionTable.count, kMaxSections);
}

TEST_F(ReaderTest, ScanHeaderAsHundredthEntryLeavesNoRoomForTheImageData) {
    std::vector<Bytes> many(99, kDqt);
    ASSERT_EQ(readFromMemory(handMadeFile(many), ReadMetadata), 1);
    EXPECT_EQ(sectionTable.count, kMaxSections);
    releaseSections();

    EXPECT_EQ(readFromMemory(handMadeFile(many), ReadImageData), 0);
    EXPECT_TRUE(reported("Too many sections in jpg file"));
    EXPECT_EQ(sectionTable.count, kMaxSections);
    EXPECT_EQ(sectionTable.imageDataLoaded, 0);
}

TEST_F(ReaderTest, DroppedSegmentsDoNotCountAgainstTheLimit) {
    std::vector<Bytes> many(150, segment(0xE0, text("JFIF")));
    EXPECT_EQ(readFromMemory(handMadeFile(many), ReadImageData), 1);
    EXPECT_EQ(markerCodes(), (std::vector<int>{0xDA, ImageDataMarker}));
}

class LoadFileTest : public SectionTableTest {
protected:
    testsupport::TempDir folder;
};

TEST_F(LoadFileTest, MissingFileLeavesTheTableUntouched) {
    ASSERT_EQ(readFromMemory(handMadeFile({segment(0xFE, text("kept"))}), ReadMetadata), 1);
    keepExifAndComment();
    testing::internal::CaptureStderr();
    EXPECT_EQ(loadJpegFile(folder.file("missing.jpg").c_str(), ReadImageData), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "can't open '" + folder.file("missing.jpg") + "'\n");
    EXPECT_EQ(markerCodes(), (std::vector<int>{0xFE}));
}

TEST_F(LoadFileTest, FailedReadReleasesEverythingKeptBefore) {
    ASSERT_EQ(readFromMemory(handMadeFile({segment(0xFE, text("kept"))}), ReadMetadata), 1);
    keepExifAndComment();
    std::string path = folder.file("text.jpg");
    testsupport::writeFile(path, text("not a picture"));
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadJpegFile(path.c_str(), ReadImageData), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Not JPEG: " + path + "\n");
    EXPECT_EQ(sectionTable.count, 0);
    EXPECT_STREQ(photoInfo.comments, "");
}

TEST_F(LoadFileTest, ReadsARealPhotographUpToItsScan) {
    testsupport::JpegSpec spec;
    spec.width = 48;
    spec.height = 24;
    spec.markers = {{0xFE, text("a comment")}};
    std::string path = folder.file("photo.jpg");
    testsupport::writeFile(path, testsupport::makeJpeg(spec));
    ASSERT_EQ(loadJpegFile(path.c_str(), ReadMetadata), 1);
    EXPECT_EQ(photoInfo.width, 48);
    EXPECT_EQ(photoInfo.height, 24);
    EXPECT_EQ(photoInfo.isColor, 1);
    EXPECT_EQ(photoInfo.process, 0xC0);
    EXPECT_STREQ(photoInfo.comments, "a comment");
    EXPECT_EQ(markerCodes().back(), 0xDA);
}

TEST_F(ReaderTest, FindSectionByMarkerGivesTheEarlierOfTwoAndNoneForAnAbsentCode) {
    Bytes file = handMadeFile({segment(0xE2, text("one")), segment(0xE2, text("two"))});
    ASSERT_EQ(readFromMemory(file, ReadImageData), 1);
    ASSERT_NE(findSectionByMarker(0xE2), nullptr);
    EXPECT_EQ(payloadOf(*findSectionByMarker(0xE2)), text("one"));
    EXPECT_EQ(findSectionByMarker(0xE3), nullptr);
    EXPECT_EQ(findSectionByMarker(ImageDataMarker), &sectionTable.entries[3]);
}

}  // namespace
}  // namespace sectiontest
