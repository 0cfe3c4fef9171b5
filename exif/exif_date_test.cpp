#include "exif/exif_date.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>

namespace {

TEST(ExifDate, AcceptedShapesGiveLocalCalendarTimeAndOthersAreRefused) {
    using Fields = std::array<int, 8>;  // year, month, day, hour, minute, second, weekday, daylight saving
    const std::pair<const char*, Fields> shapes[] = {
        {"2008:05:17 14:30:00", {108, 4, 17, 14, 30, 0, -1, -1}}, {"2008-05-17T14:30:00", {108, 4, 17, 14, 30, 0, -1, -1}},
        {" 2008:05:17 14:30:00", {108, 4, 17, 14, 30, 0, -1, -1}},
        {"2008:13:45 25:61:61", {108, 12, 45, 25, 61, 61, -1, -1}},  // ranges are left to the conversion
        {"-99999999999:-2147483648:+3 4: 5:6", {INT_MIN, INT_MIN, 3, 4, 5, 6, -1, -1}}};
    struct tm t;
    auto parse = [&t](const char* text) { return std::memset(&t, 0x55, sizeof t), parseExifDateTime(&t, text); };  // untouched fields show
    for (const auto& [text, fields] : shapes) {
        EXPECT_EQ(parse(text), 1) << text;
        EXPECT_EQ((Fields{t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday, t.tm_isdst}), fields) << text;
    }
    for (const char* text : {"2008:05:17 14.30.00", "    :  :     :  :  ", "", "2008:05:17", "2008:05:17 14:30",
                             "2008:05:17 14:30:", "2008::05:17 14:30:00", "x008:05:17 14:30:00"}) {
        EXPECT_EQ(parse(text), 0) << text;
        EXPECT_EQ(t.tm_isdst, 0x55555555) << "left alone on refusal: " << text;
    }
}

TEST(ExifDate, OnlyRealCalendarDatesAndTimesAreDates) {
    for (const char* text : {"2008:05:17 14:30:00", "2008-05-17T14:30:00", "2000:02:29 00:00:00", "2024:02:29 12:00:00",
                             "0001:01:01 00:00:00", "9999:12:31 23:59:59", "2020:04:30 23:59:59"})
        EXPECT_TRUE(isRealExifDate(text)) << text;
    for (const char* text : {"0000:00:00 00:00:00", "2020:00:01 00:00:00", "2020:01:00 00:00:00", "2020:13:01 00:00:00",
                             "2020:04:31 00:00:00", "2019:02:29 00:00:00", "1900:02:29 00:00:00", "2020:01:32 00:00:00",
                             "2020:01:01 24:00:00", "2020:01:01 00:60:00", "2020:01:01 00:00:60", "2020:01:01 -1:00:00",
                             "-2020:01:01 00:00:00", "10000:01:01 00:00:00", "    :  :     :  :  ", ""})
        EXPECT_FALSE(isRealExifDate(text)) << text;
}

}  // namespace
