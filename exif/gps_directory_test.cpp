#include "exif/gps_directory.h"

#include <gtest/gtest.h>

#include <string>

#include "exif/exif_test_helpers.h"

namespace {

using namespace exiftest;
using namespace testsupport;

class GpsDirectoryTest : public BothOrders {
protected:
    void readGps(ExifEntries entries) {
        ExifSpec s = spec();
        s.gps = std::move(entries);
        readBlock(buildExif(s));
    }
};
EXIF_BOTH_ORDERS(GpsDirectoryTest);

TEST_P(GpsDirectoryTest, EmptyDirectoryMarksGpsPresentWithUnknownTexts) {
    readGps({});
    EXPECT_EQ(photoInfo.gpsInfoPresent, 1);
    EXPECT_STREQ(photoInfo.gpsLat, "? ?");
    EXPECT_STREQ(photoInfo.gpsLong, "? ?");
    EXPECT_STREQ(photoInfo.gpsAlt, "");
}

TEST_P(GpsDirectoryTest, CoordinatesTakeWidthAndPrecisionFromTheirDenominators) {
    readGps({asciiEntry(1, "N"), rationalEntry(2, {52, 1, 22, 1, 512, 100}), asciiEntry(3, "E"),
             rationalEntry(4, {13, 1, 24, 1, 3000, 1000})});
    EXPECT_STREQ(photoInfo.gpsLat, "N 52d 22m  5.12s");
    EXPECT_STREQ(photoInfo.gpsLong, "E 13d 24m  3.000s");
    EXPECT_TRUE(reportedErrors().empty()) << reportedText();
}

TEST_P(GpsDirectoryTest, AltitudeInWholeMetresWithItsSign) {
    readGps({bytesEntry(5, kExifByte, {0}), rationalEntry(6, {1234, 10})});
    EXPECT_STREQ(photoInfo.gpsAlt, " 123m");
    readGps({bytesEntry(5, kExifByte, {1}), rationalEntry(6, {1234, 10})});
    EXPECT_STREQ(photoInfo.gpsAlt, "-123m");
}

TEST_P(GpsDirectoryTest, LargeDenominatorsKeepTheTextADigitWideAndTerminated) {
    readGps({asciiEntry(1, "S"), rationalEntry(2, {52, 1, 22, 1, 512345678, 100000000}),
             rationalEntry(4, {2000000000, 1, 2000000000, 1, 2000000000, 2000000000})});
    EXPECT_STREQ(photoInfo.gpsLat, "S 52d 22m  5.123457s");
    EXPECT_EQ(photoInfo.gpsLong[sizeof photoInfo.gpsLong - 1], '\0');
    EXPECT_EQ(std::string(photoInfo.gpsLong), "? 2000000000d 2000000000m  1.0");
}

TEST_P(GpsDirectoryTest, NegativeAndZeroDenominators) {
    readGps({rationalEntry(2, {52, -1, 22, 0, -5, 1})});
    EXPECT_STREQ(photoInfo.gpsLat, "? -52d  0m -5s");
}

TEST_P(GpsDirectoryTest, CoordinatesOfAnotherFormatAreReportedAndConvertedAsTheyAre) {
    readGps({numberEntry(2, kExifSRational, {52, 1, 22, 1, 5, 1}), numberEntry(4, kExifDouble, {})});
    EXPECT_TRUE(wasReported("Inappropriate format (10) for GPS coordinates!"));
    EXPECT_STREQ(photoInfo.gpsLat, "? 52d 22m  5s");
    EXPECT_EQ(photoInfo.gpsLong[sizeof photoInfo.gpsLong - 1], '\0');
}

TEST_P(GpsDirectoryTest, ComponentsPastTheBlockCountAsZero) {
    // One rational component, stored last in the block: components 2 and 3 would lie behind it.
    ExifSpec s = spec();
    s.gps = ExifEntries{rationalEntry(2, {52, 1})};
    readBlock(buildExif(s));
    EXPECT_STREQ(photoInfo.gpsLat, "? 52d  0m  0s");
}

TEST_P(GpsDirectoryTest, IllegallySizedDirectoryKeepsTheUnknownTexts) {
    ExifSpec s = spec();
    s.gps = ExifEntries{asciiEntry(1, "N")};
    ExifBlock block = buildExif(s);
    block.put16(block.gps, 5000);
    readBlock(block);
    EXPECT_TRUE(wasReported("Illegally sized directory"));
    EXPECT_EQ(photoInfo.gpsInfoPresent, 1);
    EXPECT_STREQ(photoInfo.gpsLat, "? ?");
}

TEST_P(GpsDirectoryTest, BadEntriesAreSkipped) {
    readGps({rawEntry(2, kExifRational, 3, 0xFFFFFF00), rawEntry(1, 0, 1, 'N'), rawEntry(3, kExifAscii, 70000, 0),
             asciiEntry(3, "W")});
    EXPECT_TRUE(wasReported("Illegal value pointer for tag 0002"));
    EXPECT_TRUE(wasReported("Illegal number format 0 for tag 0001"));
    EXPECT_TRUE(wasReported("Illegal number of components 70000 for tag 0003"));
    EXPECT_STREQ(photoInfo.gpsLat, "? ?");
    EXPECT_STREQ(photoInfo.gpsLong, "W ?");
}

TEST_P(GpsDirectoryTest, NoGpsDirectoryNoGpsInfo) {
    readBlock(buildExif(spec()));
    EXPECT_EQ(photoInfo.gpsInfoPresent, 0);
    EXPECT_STREQ(photoInfo.gpsLat, "");
}

}  // namespace
