#pragma once
// The silent error hook of the section container and the Exif reader: it shows nothing and
// returns, and each caller goes on as it documents. The messages are kept for tests and --info.

#include <string>
#include <vector>

// `format` may hold up to two integer placeholders (%d, %04x, ...), filled from `first`, `second`.
void reportError(const char* format, int first = 0, int second = 0);

// The messages reported since the last clearReportedErrors(), formatted, oldest first (at most 100 kept).
const std::vector<std::string>& reportedErrors();
void clearReportedErrors();
