#include "cli/json_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/utf8.h"

namespace {

void appendEscaped(std::string& out, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", value);
    out += text;
}

// A byte that is not part of valid UTF-8: as the Latin-1 character of that value (\u00XX), or
// as the low surrogate U+DC00 + byte (\udcXX), which no valid text holds and which gives back
// the byte exactly.
enum class StrayByte { Latin1, SurrogateEscape };

std::string quoted(const char* bytes, std::size_t size, StrayByte stray) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(bytes);
    std::string out = "\"";
    for (std::size_t i = 0; i < size;) {
        unsigned char c = at[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            appendEscaped(out, c);
        } else if (c >= 0x80) {
            std::size_t length = utf8SequenceLength(at + i, size - i);
            if (length == 0) {
                appendEscaped(out, stray == StrayByte::SurrogateEscape ? 0xDC00u + c : c);
                ++i;
                continue;
            }
            out.append(bytes + i, length);
            i += length;
            continue;
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out + "\"";
}

}  // namespace

std::string jsonString(const char* bytes, std::size_t size) { return quoted(bytes, size, StrayByte::Latin1); }

std::string jsonString(const std::string& text) { return jsonString(text.data(), text.size()); }

std::string jsonPath(const std::string& path) { return quoted(path.data(), path.size(), StrayByte::SurrogateEscape); }

std::string jsonForTerminal(const std::string& json) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(json.data());
    std::string out;
    out.reserve(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        if (at[i] < 0x20 || at[i] == 0x7F) {
            appendEscaped(out, at[i]);
        } else if (at[i] == 0xC2 && i + 1 < json.size() && at[i + 1] >= 0x80 && at[i + 1] < 0xA0) {
            appendEscaped(out, at[++i]);
        } else {
            out += static_cast<char>(at[i]);
        }
    }
    return out;
}

std::string jsonField(const char* field, std::size_t fieldSize) {
    const void* zero = std::memchr(field, 0, fieldSize);
    std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : fieldSize;
    return jsonString(field, length);
}

std::string jsonNumber(float value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    for (int precision = 1; precision <= 9; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) break;
    }
    return text;
}
