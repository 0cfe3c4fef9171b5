#include "exif/exif_tags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "exif/exif_test_helpers.h"

namespace {

using namespace exiftest;
using namespace testsupport;

class ExifTagsTest : public BothOrders {};
EXIF_BOTH_ORDERS(ExifTagsTest);

TEST_P(ExifTagsTest, CameraBlockFillsTheRecord) {
    readBlock(buildExif(cameraExifSpec(GetParam(), Bytes(100, 1))));
    EXPECT_STREQ(photoInfo.cameraMake, "Velmora");
    EXPECT_STREQ(photoInfo.cameraModel, "PV-1 Zoom");
    EXPECT_EQ(photoInfo.orientation, 1);
    EXPECT_STREQ(photoInfo.dateTime, "2008:05:17 14:29:58");
    EXPECT_EQ(photoInfo.dateTimeCount, 3);
    EXPECT_FLOAT_EQ(photoInfo.exposureTime, 0.004f);
    EXPECT_FLOAT_EQ(photoInfo.apertureFNumber, 2.8f);
    EXPECT_EQ(photoInfo.isoEquivalent, 200);
    EXPECT_FLOAT_EQ(photoInfo.focalLength, 6.3f);
    EXPECT_EQ(photoInfo.flashUsed, 16);
    EXPECT_EQ(photoInfo.meteringMode, 5);
    EXPECT_EQ(photoInfo.whiteBalance, 0);
    EXPECT_EQ(photoInfo.exposureProgram, 0);
    EXPECT_EQ(photoInfo.gpsInfoPresent, 1);
    EXPECT_TRUE(reportedErrors().empty()) << reportedText();
}

TEST_P(ExifTagsTest, MakeAndModelAreCutToTheirFields) {
    ExifSpec s = spec();
    s.ifd0 = {asciiEntry(0x010F, std::string(45, 'M')), asciiEntry(0x0110, std::string(45, 'm'))};
    readBlock(buildExif(s));
    EXPECT_EQ(std::string(photoInfo.cameraMake), std::string(31, 'M'));
    EXPECT_EQ(std::string(photoInfo.cameraModel), std::string(39, 'm'));
}

TEST_P(ExifTagsTest, OnlyTheFirstOrientationOfABlockCountsAndOutOfRangeBecomesZero) {
    ExifSpec s = spec();
    s.ifd0 = {shortEntry(0x0112, {6})};
    s.ifd1 = ExifEntries{shortEntry(0x0112, {1})};
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.orientation, 6);

    s.ifd0 = {shortEntry(0x0112, {9}), shortEntry(0x0112, {6})};
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.orientation, 0);
    EXPECT_TRUE(wasReported("Undefined rotation value 9"));
}

TEST_P(ExifTagsTest, DateTimeOriginalWinsAndEveryDateIsCounted) {
    ExifSpec s = spec();
    s.ifd0 = {asciiEntry(0x0132, "2008:01:01 10:00:00")};
    s.exif = ExifEntries{asciiEntry(0x9003, "2007:12:31 23:59:59"), asciiEntry(0x9004, "2007:12:31 23:59:58")};
    ExifBlock block = buildExif(s);
    readBlock(block);
    EXPECT_STREQ(photoInfo.dateTime, "2007:12:31 23:59:59");
    ASSERT_EQ(photoInfo.dateTimeCount, 3);
    EXPECT_EQ(photoInfo.dateTimeOffsets[0], static_cast<std::int32_t>(block.valueOf(block.ifd0, 0x0132)));
    EXPECT_EQ(photoInfo.dateTimeOffsets[1], static_cast<std::int32_t>(block.valueOf(block.exif, 0x9003)));
    EXPECT_EQ(photoInfo.dateTimeOffsets[2], static_cast<std::int32_t>(block.valueOf(block.exif, 0x9004)));
}

TEST_P(ExifTagsTest, ADateOfSpacesGivesWayToTheNextDate) {
    ExifSpec s = spec();
    s.ifd0 = {asciiEntry(0x0132, "    :  :     :  :  ")};
    s.exif = ExifEntries{asciiEntry(0x9004, "2007:12:31 23:59:58")};
    readBlock(buildExif(s));
    EXPECT_STREQ(photoInfo.dateTime, "2007:12:31 23:59:58");
    EXPECT_EQ(photoInfo.dateTimeCount, 2);
}

TEST_P(ExifTagsTest, AtMostTenDateOffsetsAreRecorded) {
    ExifSpec s = spec();
    for (int i = 0; i < 12; ++i) s.ifd0.push_back(asciiEntry(0x9004, "2007:12:31 23:59:58"));
    ExifBlock block = buildExif(s);
    readBlock(block);
    EXPECT_EQ(photoInfo.dateTimeCount, 10);
    EXPECT_EQ(photoInfo.dateTimeOffsets[9], static_cast<std::int32_t>(block.get32(block.entryAt(block.ifd0, 9) + 8)));
    EXPECT_TRUE(wasReported("More than 10 date fields!  This is nuts"));
}

TEST_P(ExifTagsTest, DateCopyEndsAtTheSegmentEnd) {
    // IFD0's last entry is an unterminated 4-character date in the entry itself, and the block
    // ends right behind it (the directory has no link).
    ExifSpec s = spec();
    s.ifd0 = {bytesEntry(0x0132, kExifAscii, {'2', '0', '0', '8'})};
    Bytes segment = buildExif(s).segment();
    segment.resize(segment.size() - 4);
    segment[1] = static_cast<std::uint8_t>(segment.size());
    readSegment(segment);
    EXPECT_STREQ(photoInfo.dateTime, "2008");
}

TEST_P(ExifTagsTest, UserCommentLosesItsCodeAndTrailingSpacesInTheSegmentItself) {
    ExifSpec s = spec();
    Bytes comment = {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'e', 'l', 'l', 'o', ' ', ' ', ' '};
    s.ifd0 = {bytesEntry(0x9286, kExifUndefined, comment)};
    ExifBlock block = buildExif(s);
    Bytes after = readBlock(block);
    EXPECT_STREQ(photoInfo.comments, "Hello");
    const std::size_t value = 8 + block.valueOf(block.ifd0, 0x9286);
    EXPECT_EQ(Bytes(after.begin() + value + 13, after.begin() + value + 16), Bytes(3, 0));
    EXPECT_EQ(Bytes(after.begin() + value, after.begin() + value + 13), Bytes(comment.begin(), comment.begin() + 13));
}

TEST_P(ExifTagsTest, UserCommentVariants) {
    struct Case {
        Bytes value;
        const char* expected;
    } cases[] = {
        {{'H', 'i', ' ', 't', 'h', 'e', 'r', 'e', ' ', ' '}, "Hi there"},
        {{'A', 'S', 'C', 'I', 'I', ' ', ' ', ' ', ' ', ' ', 'x'}, "COM text"},  // code only: left alone
        {{'A', 'S', 'C', 'I', 'I', 0, 0, 0, 0, 'y', 'e', 's'}, "yes"},
        {{' ', ' ', ' ', ' ', ' '}, ""},
        {Bytes(300, 'c'), nullptr},
    };
    for (const Case& c : cases) {
        ExifSpec s = spec();
        s.ifd0 = {bytesEntry(0x9286, kExifUndefined, c.value)};
        Bytes segment = buildExif(s).segment();
        resetPhotoInfo("x");
        std::strcpy(photoInfo.comments, "COM text");
        processExifBlock(segment.data(), static_cast<unsigned>(segment.size()));
        if (c.expected)
            EXPECT_STREQ(photoInfo.comments, c.expected);
        else
            EXPECT_EQ(std::string(photoInfo.comments), std::string(199, 'c'));
    }
}

TEST_P(ExifTagsTest, ShortUserCommentsAtTheBlockEndAreNotReadPast) {
    for (Bytes value : {Bytes{'A', 'S', 'C'}, Bytes{'A', 'S', 'C', 'I'}}) {
        ExifSpec s = spec();
        s.ifd0 = {bytesEntry(0x9286, kExifUndefined, value)};
        Bytes segment = buildExif(s).segment();
        segment.resize(segment.size() - 4);  // the directory's link goes: the value ends the block
        segment[1] = static_cast<std::uint8_t>(segment.size());
        readSegment(segment);
        EXPECT_EQ(std::string(photoInfo.comments), std::string(value.begin(), value.end()));
    }
}

TEST_P(ExifTagsTest, IsoBelowFiftyIsScaledAndExposureIndexOnlyFillsAGap) {
    ExifSpec s = spec();
    s.exif = ExifEntries{shortEntry(0x8827, {2}), shortEntry(0xA215, {100})};
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.isoEquivalent, 400);

    s.exif = ExifEntries{shortEntry(0xA215, {100})};
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.isoEquivalent, 100);
}

TEST_P(ExifTagsTest, ShutterSpeedAndApertureValuesOnlyFillGaps) {
    ExifSpec s = spec();
    s.exif = ExifEntries{srationalEntry(0x9201, {6, 1}), rationalEntry(0x9202, {4, 1})};
    readBlock(buildExif(s));
    EXPECT_FLOAT_EQ(photoInfo.exposureTime, 0.015625f);
    EXPECT_FLOAT_EQ(photoInfo.apertureFNumber, 4.0f);

    s.exif = ExifEntries{rationalEntry(0x829A, {1, 250}), rationalEntry(0x829D, {56, 10}),
                         srationalEntry(0x9201, {6, 1}), rationalEntry(0x9205, {4, 1})};
    readBlock(buildExif(s));
    EXPECT_FLOAT_EQ(photoInfo.exposureTime, 0.004f);
    EXPECT_FLOAT_EQ(photoInfo.apertureFNumber, 5.6f);
}

TEST_P(ExifTagsTest, SensorWidthAndThirtyFiveMillimetreFocalLength) {
    ExifSpec s = spec();
    s.exif = ExifEntries{shortEntry(0xA210, {2}), rationalEntry(0xA20E, {3000, 1}), longEntry(0xA002, {3000}),
                         longEntry(0xA003, {2000}), rationalEntry(0x920A, {75, 10})};
    readBlock(buildExif(s));
    EXPECT_FLOAT_EQ(photoInfo.ccdWidth, 25.4f);
    EXPECT_EQ(photoInfo.focalLength35mm, 11);

    s.exif->push_back(shortEntry(0xA405, {50}));
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.focalLength35mm, 50);
}

TEST_P(ExifTagsTest, NumbersOfEveryFormat) {
    ExifSpec s = spec();
    s.exif = ExifEntries{numberEntry(0x9207, kExifSShort, {-2}),   numberEntry(0x9208, kExifSByte, {0xFE}),
                         numberEntry(0x9209, kExifSLong, {-7}),    rationalEntry(0x9206, {5, 0}),
                         srationalEntry(0x9204, {-1, 3}),          doubleEntry(0xA404, 1.5),
                         numberEntry(0xA402, kExifByte, {200}),    bytesEntry(0x8822, kExifAscii, {'7', 0})};
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.meteringMode, -2);
    EXPECT_EQ(photoInfo.lightSource, -2);
    EXPECT_EQ(photoInfo.flashUsed, -7);
    EXPECT_EQ(photoInfo.distance, 0.0f) << "a zero denominator gives 0";
    EXPECT_FLOAT_EQ(photoInfo.exposureBias, -1.0f / 3);
    EXPECT_FLOAT_EQ(photoInfo.digitalZoomRatio, 1.5f);
    EXPECT_EQ(photoInfo.exposureMode, 200);
    EXPECT_EQ(photoInfo.exposureProgram, 0);
    EXPECT_TRUE(wasReported("Illegal format code 2"));
}

TEST_P(ExifTagsTest, HugeNumbersAreHeldAtTheIntegerLimits) {
    ExifSpec s = spec();
    s.exif = ExifEntries{longEntry(0x9209, {0xFFFFFFFF}), doubleEntry(0x9207, -1e300), doubleEntry(0x8822, std::nan("")),
                         doubleEntry(0x920A, 1e300), shortEntry(0xA210, {4}), doubleEntry(0xA20E, 1e-300),
                         longEntry(0xA002, {4000})};
    readBlock(buildExif(s));
    EXPECT_EQ(photoInfo.flashUsed, INT32_MAX);
    EXPECT_EQ(photoInfo.meteringMode, INT32_MIN);
    EXPECT_EQ(photoInfo.exposureProgram, 0);
}

TEST_P(ExifTagsTest, SubdirectoryAndGpsLinksBeyondTheBlockAreRefused) {
    ExifSpec s = spec();
    s.ifd0 = {rawEntry(0x8769, kExifLong, 1, 60000), rawEntry(0xA005, kExifLong, 1, 60000),
              rawEntry(0x8825, kExifLong, 1, 60000)};
    readBlock(buildExif(s));
    EXPECT_EQ(reportedErrors().size(), 3u);
    EXPECT_TRUE(wasReported("Illegal exif or interop ofset directory link"));
    EXPECT_TRUE(wasReported("Illegal GPS directory link"));
    EXPECT_EQ(photoInfo.gpsInfoPresent, 0);
}

}  // namespace
