#pragma once
// The Exif date text ("2008:05:17 14:30:00") as a local calendar time for mktime.

#include <ctime>

// Returns 1 and fills year, month, day, hours, minutes, seconds, tm_wday = -1 and tm_isdst = -1
// when the text has the shape "<n>?<n>?<n>?<n>:<n>:<n>" (any one character as the first three
// separators); else 0, with the fields scanned so far stored unadjusted. No range checks.
int parseExifDateTime(struct tm* time, const char* text);
