#include "exif/exif_date.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

struct tm scanned(const char* text, int* result) {
    struct tm time;
    std::memset(&time, 0x55, sizeof time);  // so that untouched fields show
    *result = parseExifDateTime(&time, text);
    return time;
}

TEST(ExifDate, ExifTextGivesLocalCalendarTime) {
    for (const char* text : {"2008:05:17 14:30:00", "2008-05-17T14:30:00", " 2008:05:17 14:30:00"}) {
        int result = 0;
        struct tm t = scanned(text, &result);
        EXPECT_EQ(result, 1) << text;
        EXPECT_EQ(t.tm_year, 108);
        EXPECT_EQ(t.tm_mon, 4);
        EXPECT_EQ(t.tm_mday, 17);
        EXPECT_EQ(t.tm_hour, 14);
        EXPECT_EQ(t.tm_min, 30);
        EXPECT_EQ(t.tm_sec, 0);
        EXPECT_EQ(t.tm_wday, -1);
        EXPECT_EQ(t.tm_isdst, -1);
    }
}

TEST(ExifDate, WrongShapesAreRefused) {
    for (const char* text : {"2008:05:17 14.30.00", "    :  :     :  :  ", "", "2008:05:17", "2008:05:17 14:30",
                             "2008:05:17 14:30:", "2008::05:17 14:30:00", "x008:05:17 14:30:00"}) {
        int result = 1;
        struct tm t = scanned(text, &result);
        EXPECT_EQ(result, 0) << text;
        EXPECT_EQ(t.tm_wday, -1);
        EXPECT_EQ(t.tm_isdst, 0x55555555) << "not set on refusal";
    }
}

TEST(ExifDate, RefusedTextKeepsTheFieldsScannedSoFarUnadjusted) {
    int result = 1;
    struct tm t = scanned("2008:05:17 14.30.00", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(t.tm_year, 2008);
    EXPECT_EQ(t.tm_mon, 5);
    EXPECT_EQ(t.tm_mday, 17);
    EXPECT_EQ(t.tm_hour, 14);
}

TEST(ExifDate, RangesAreLeftToTheConversion) {
    int result = 0;
    struct tm t = scanned("2008:13:45 25:61:61", &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(t.tm_mon, 12);
    EXPECT_EQ(t.tm_mday, 45);
    EXPECT_EQ(t.tm_hour, 25);
    EXPECT_EQ(t.tm_min, 61);
    EXPECT_EQ(t.tm_sec, 61);
}

TEST(ExifDate, SignsAndHugeNumbersAreTakenWithoutOverflow) {
    int result = 0;
    struct tm t = scanned("-99999999999:-2147483648:+3 4: 5:6", &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(t.tm_year, INT_MIN);
    EXPECT_EQ(t.tm_mon, INT_MIN);
    EXPECT_EQ(t.tm_mday, 3);
    EXPECT_EQ(t.tm_min, 5);
}

}  // namespace
