#include "exif/exif_tags.h"

#include <cmath>

#include "exif/exif_test_helpers.h"

namespace {

using namespace exiftest;

EXIF_BOTH_ORDERS(ExifTagsTest);

// A 3000-pixel-wide image on a 25.4 mm wide sensor at 7.5 mm, then `more`.
ExifSpec withSensor(ExifEntries more) {
    more.insert(more.begin(), {shortEntry(0xA210, {2}), rationalEntry(0xA20E, {3000, 1}), longEntry(0xA002, {3000}),
                               longEntry(0xA003, {2000}), rationalEntry(0x920A, {75, 10})});
    return ifd0(more);
}
ExifSpec thumbnailOrientation(int value) {
    ExifSpec s;
    s.ifd1 = ExifEntries{shortEntry(0x0112, {value})};
    return s;
}
ExifSpec comment(const Bytes& value) { return ifd0({bytesEntry(0x9286, kExifUndefined, value)}); }
const std::string kSpaces = "    :  :     :  :  ", k58 = "2007:12:31 23:59:58", k59 = "2007:12:31 23:59:59";
// The date text, then the position of every date counted.
const Field kDates{"dates", [] {
    std::string text = photoInfo.dateTime;
    for (int i = 0; i < photoInfo.dateTimeCount; ++i) text += " " + std::to_string(photoInfo.dateTimeOffsets[i]);
    return text;
}};

TEST_P(ExifTagsTest, EntriesSetTheirFields) {
    expectFields({
        {ifd0({asciiEntry(0x010F, std::string(45, 'M'))}), FIELD(cameraMake), std::string(31, 'M')},
        {ifd0({asciiEntry(0x0110, std::string(45, 'm'))}), FIELD(cameraModel), std::string(39, 'm')},
        {ifd0({bytesEntry(0x0132, kExifAscii, {'2', '0', '0', '8'})}), FIELD(dateTime), "2008", "", 4},  // ends the segment
        {ifd0({asciiEntry(0x0132, kSpaces), asciiEntry(0x9004, k58)}), kDates, k58 + " 38 58"},
        {ifd0({asciiEntry(0x9004, k58), asciiEntry(0x9003, k59), asciiEntry(0x0132, "2008:01:01 10:00:00")}), kDates, k59 + " 50 70 90"},
        {ifd0(ExifEntries(11, asciiEntry(0x0132, k58))), kDates, k58 + " 146 166 186 206 226 246 266 286 306 326",
         "More than 10 date fields!  This is nuts\n"},
        {ifd0({shortEntry(0x0112, {6}), shortEntry(0x0112, {1})}), FIELD(orientation), "6"},
        {thumbnailOrientation(6), FIELD(orientation), "0"},  // IFD1's describes the thumbnail alone
        {ifd0({shortEntry(0x0112, {9}), shortEntry(0x0112, {6})}), FIELD(orientation), "0", "Undefined rotation value 9\n"},
        {ifd0({shortEntry(0x8827, {2}), shortEntry(0xA215, {100})}), FIELD(isoEquivalent), "400"},
        {ifd0({shortEntry(0xA215, {100})}), FIELD(isoEquivalent), "100"},
        {ifd0({srationalEntry(0x9201, {6, 1})}), FIELD(exposureTime), "0.015625"},
        {ifd0({rationalEntry(0x829A, {1, 250}), srationalEntry(0x9201, {6, 1})}), FIELD(exposureTime), "0.004"},
        {ifd0({rationalEntry(0x9202, {4, 1})}), FIELD(apertureFNumber), "4"},
        {ifd0({rationalEntry(0x829D, {56, 10}), rationalEntry(0x9205, {4, 1})}), FIELD(apertureFNumber), "5.6"},
        {withSensor({}), FIELD(focalLength35mm), "11"},
        {withSensor({shortEntry(0xA405, {50})}), FIELD(focalLength35mm), "50"},
        {ifd0({numberEntry(0x9207, kExifSShort, {-2})}), FIELD(meteringMode), "-2"},
        {ifd0({numberEntry(0x9208, kExifSByte, {0xFE})}), FIELD(lightSource), "-2"},
        {ifd0({numberEntry(0x9209, kExifSLong, {-7})}), FIELD(flashUsed), "-7"},
        {ifd0({rationalEntry(0x9206, {5, 0})}), FIELD(distance), "0"},
        {ifd0({srationalEntry(0x9204, {-1, 3})}), FIELD(exposureBias), "-0.333333"},
        {ifd0({doubleEntry(0xA404, 1.5)}), FIELD(digitalZoomRatio), "1.5"},
        {ifd0({bytesEntry(0x8822, kExifAscii, {'7', 0})}), FIELD(exposureProgram), "0", "Illegal format code 2\n"},
        {ifd0({longEntry(0x9209, {0xFFFFFFFF})}), FIELD(flashUsed), "2147483647"},
        {ifd0({doubleEntry(0x9207, -1e300)}), FIELD(meteringMode), "-2147483648"},
        {ifd0({doubleEntry(0x8822, std::nan(""))}), FIELD(exposureProgram), "0"},
        {withSensor({doubleEntry(0x920A, 1e300), doubleEntry(0xA20E, 1e-300)}), FIELD(focalLength35mm), "0"},
        {ifd0({rawEntry(0x9999, kExifByte, 65536, 8), rawEntry(0x9998, kExifByte, 65537, 8), rawEntry(0x0112, 0, 1, 6),
               rawEntry(0x0112, 13, 1, 6), shortEntry(0x0112, {5})}),
         FIELD(orientation), "5",
         "Illegal value pointer for tag 9999\nIllegal number of components 65537 for tag 9998\n"
         "Illegal number format 0 for tag 0112\nIllegal number format 13 for tag 0112\n"},
        {ifd0({rawEntry(0x8769, kExifLong, 1, 60000), rawEntry(0xA005, kExifLong, 1, 60000), rawEntry(0x8825, kExifLong, 1, 60000)}),
         FIELD(gpsInfoPresent), "0",
         "Illegal exif or interop ofset directory link\nIllegal exif or interop ofset directory link\nIllegal GPS directory link\n"},
        {comment({'A', 'S', 'C', 'I', 'I', ' ', ' ', ' ', ' ', ' ', 'x'}), FIELD(comments), ""},  // code only
        {comment({'A', 'S', 'C', 'I', 'I', 0, 0, 0, 0, 'y', 'e', 's'}), FIELD(comments), "yes"},
        {comment(Bytes(300, 'c')), FIELD(comments), std::string(199, 'c')},
        // Trailing blanks are left out of the text (and in the block: nothing is written there).
        {comment({'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'e', 'l', 'l', 'o', ' ', ' ', ' '}), FIELD(comments), "Hello"},
        {ifd0({bytesEntry(0x9286, kExifUndefined, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'i'}), asciiEntry(0x010E, "next")}),
         FIELD(comments), "Hi"},  // the text ends with its value, not in the next one
        {comment({'A', 'S', 'C', 'I'}), FIELD(comments), "ASCI", "", 4},  // the value ends the segment
    });
}

TEST_P(ExifTagsTest, ASecondBlockAddsItsDatesAndTakesItsOwnFirstOrientation) {
    readBlock(buildExif(recipe({shortEntry(0x0112, {6}), asciiEntry(0x0132, "2008:05:17 14:30:00")})));
    Bytes second = buildExif(recipe({shortEntry(0x0112, {3}), asciiEntry(0x9003, "2009:01:01 00:00:00")})).segment();
    processExifBlock(second.data(), static_cast<unsigned>(second.size()), photoInfo, lastNotes);
    EXPECT_EQ(photoInfo.orientation, 3);
    EXPECT_STREQ(photoInfo.dateTime, "2009:01:01 00:00:00");
    EXPECT_EQ(photoInfo.dateTimeCount, 2);
}

}  // namespace
