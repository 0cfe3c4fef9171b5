#include "exif/reader_notes.h"

#include <cstdio>

void ReaderNotes::reportError(const char* format, int first, int second) {
    if (messages_.size() >= kMaxKept) return;
    char text[256];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    std::snprintf(text, sizeof text, format, first, second);
#pragma GCC diagnostic pop
    messages_.emplace_back(text);
}
