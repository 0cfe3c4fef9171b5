#include "exif/report_error.h"

#include <cstdio>

namespace {

constexpr size_t kMaxKeptMessages = 100;
thread_local std::vector<std::string> messages;  // per thread, like the file they concern

}  // namespace

void reportError(const char* format, int first, int second) {
    if (messages.size() >= kMaxKeptMessages) return;
    char text[256];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    std::snprintf(text, sizeof text, format, first, second);
#pragma GCC diagnostic pop
    messages.emplace_back(text);
}

const std::vector<std::string>& reportedErrors() { return messages; }

void clearReportedErrors() { messages.clear(); }
