#pragma once
// The Exif date text ("2008:05:17 14:30:00") as a local calendar time for mktime.

#include <ctime>

// Returns 1 and fills year, month, day, hours, minutes, seconds, tm_wday = -1 and tm_isdst = -1
// when the text has the shape "<n>?<n>?<n>?<n>:<n>:<n>" (any one character as the first three
// separators); else 0, with the fields scanned so far stored unadjusted. No range checks.
int parseExifDateTime(struct tm* time, const char* text);

// Whether the text is a date and time that happened: the shape parseExifDateTime takes, a year
// from 1 to 9999, a month from 1 to 12, a day within that month (29 February in leap years
// only), hours 0..23, minutes and seconds 0..59. Cameras write placeholders such as
// "0000:00:00 00:00:00" or blanks when their clock is not set; those are no date.
bool isRealExifDate(const char* text);
