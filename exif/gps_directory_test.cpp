#include "exif/gps_directory.h"

#include "exif/exif_test_helpers.h"

namespace {

using namespace exiftest;

EXIF_BOTH_ORDERS(GpsDirectoryTest);

ExifSpec gps(ExifEntries entries) { ExifSpec s; s.gps = std::move(entries); return s; }
const Field kTexts{"GPS texts", [] { return std::string(photoInfo.gpsLat) + "|" + photoInfo.gpsLong + "|" + photoInfo.gpsAlt; }};

TEST_P(GpsDirectoryTest, TextsTakeWidthAndPrecisionFromTheDenominatorsAndStayInTheirFields) {
    expectFields({
        {gps({}), kTexts, "? ?|? ?|"},
        {gps({asciiEntry(1, "N"), rationalEntry(2, {52, 1, 22, 1, 512, 100}), asciiEntry(3, "E"),
              rationalEntry(4, {13, 1, 24, 1, 3000, 1000}), bytesEntry(5, kExifByte, {0}), rationalEntry(6, {1234, 10})}),
         kTexts, "N 52d 22m  5.12s|E 13d 24m  3.000s| 123m"},
        {gps({bytesEntry(5, kExifByte, {1}), rationalEntry(6, {1234, 10})}), kTexts, "? ?|? ?|-123m"},
        {gps({asciiEntry(1, "S"), rationalEntry(2, {52, 1, 22, 1, 512345678, 100000000}),
              rationalEntry(4, {2000000000, 1, 2000000000, 1, 2000000000, 2000000000})}),
         kTexts, "S 52d 22m  5.123457s|? 2000000000d 2000000000m  1.0|"},
        {gps({rationalEntry(2, {52, -1, 22, 0, -5, 1})}), kTexts, "? -52d  0m -5s|? ?|"},
        {gps({rationalEntry(2, {52, 1})}), kTexts, "? 52d  0m  0s|? ?|"},  // components 2 and 3 lie past the block
        {gps({numberEntry(2, kExifSRational, {52, 1, 22, 1, 5, 1}), numberEntry(4, kExifDouble, {})}), FIELD(gpsLat),
         "? 52d 22m  5s",
         "Inappropriate format (10) for GPS coordinates!\nInappropriate format (12) for GPS coordinates!\n"},
        {gps({rawEntry(2, kExifRational, 3, 0xFFFFFF00), rawEntry(1, 0, 1, 'N'), rawEntry(3, kExifAscii, 70000, 0), asciiEntry(3, "W")}),
         kTexts, "? ?|W ?|",
         "Illegal value pointer for tag 0002\nIllegal number format 0 for tag 0001\nIllegal number of components 70000 for tag 0003\n"},
    });
}

}  // namespace
