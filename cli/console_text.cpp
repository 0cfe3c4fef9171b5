#include "cli/console_text.h"

#include <cstdio>

#include "cli/utf8.h"

namespace {

void appendByte(std::string& out, unsigned char byte) {
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02x", byte);
    out += text;
}

// The escapes a reader knows by name.
const char* namedEscape(unsigned char c) {
    switch (c) {
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\t': return "\\t";
    case '\r': return "\\r";
    }
    return nullptr;
}

// A control character of C0, DEL, or of C1 (U+0080 to U+009F, two bytes in UTF-8), given the
// valid UTF-8 sequence of `length` bytes at `at`.
bool isControl(const unsigned char* at, std::size_t length) {
    if (length == 1) return at[0] < 0x20 || at[0] == 0x7F;
    return length == 2 && at[0] == 0xC2 && at[1] < 0xA0;
}

}  // namespace

std::string consoleText(const std::string& text) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text.data());
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(at + i, text.size() - i);
        const std::size_t taken = length == 0 ? 1 : length;  // a stray byte alone
        if (const char* named = namedEscape(at[i])) out += named;
        else if (length == 0 || isControl(at + i, length))
            for (std::size_t k = 0; k < taken; ++k) appendByte(out, at[i + k]);
        else out.append(text, i, length);
        i += taken;
    }
    return out;
}
