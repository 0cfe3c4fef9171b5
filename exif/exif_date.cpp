#include "exif/exif_date.h"

#include <cctype>
#include <climits>
#include <cstdint>

namespace {

// One "%d" conversion of the formatted-input rules: white space, an optional sign, digits.
// Numbers beyond the int range are held at its nearest limit instead of being undefined.
bool scanNumber(const char*& text, int* out) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    std::int64_t value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        if (value <= INT_MAX) value = value * 10 + (*p - '0');
    if (negative) value = -value;
    *out = static_cast<int>(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
    text = p;
    return true;
}

// "%*c": any one character, white space included.
bool skipOne(const char*& text) {
    if (*text == '\0') return false;
    ++text;
    return true;
}

bool expect(const char*& text, char wanted) {
    if (*text != wanted) return false;
    ++text;
    return true;
}

bool within(std::int64_t value, std::int64_t low, std::int64_t high) { return value >= low && value <= high; }

int daysInMonth(std::int64_t year, std::int64_t month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

int shifted(int value, int by) {
    std::int64_t result = std::int64_t{value} - by;
    return static_cast<int>(result < INT_MIN ? INT_MIN : result);
}

}  // namespace

int parseExifDateTime(struct tm* time, const char* text) {
    time->tm_wday = -1;
    const char* p = text;
    bool complete = scanNumber(p, &time->tm_year) && skipOne(p) && scanNumber(p, &time->tm_mon) && skipOne(p) &&
                    scanNumber(p, &time->tm_mday) && skipOne(p) && scanNumber(p, &time->tm_hour) && expect(p, ':') &&
                    scanNumber(p, &time->tm_min) && expect(p, ':') && scanNumber(p, &time->tm_sec);
    if (!complete) return 0;
    time->tm_mon = shifted(time->tm_mon, 1);
    time->tm_year = shifted(time->tm_year, 1900);
    time->tm_isdst = -1;
    return 1;
}

bool isRealExifDate(const char* text) {
    struct tm time {};
    if (!parseExifDateTime(&time, text)) return false;
    const std::int64_t year = std::int64_t{time.tm_year} + 1900, month = std::int64_t{time.tm_mon} + 1;
    return within(year, 1, 9999) && within(month, 1, 12) && within(time.tm_mday, 1, daysInMonth(year, month)) &&
           within(time.tm_hour, 0, 23) && within(time.tm_min, 0, 59) && within(time.tm_sec, 0, 59);
}
