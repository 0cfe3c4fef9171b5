#include "jpegfile/xmp_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kMostDecimals = 12;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal places of a plain decimal text; -1 when it is none.
int decimalsOf(const std::string& text) {
    std::size_t i = text[0] == '-' ? 1 : 0, digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    int decimals = 0;
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && isDigit(text[i]); ++i) ++decimals, ++digits;
    if (digits == 0) return -1;
    if (i == text.size()) return decimals;
    if (text[i] != 'e' && text[i] != 'E') return -1;
    const int exponent = std::atoi(text.c_str() + i + 1);
    return std::clamp(decimals - exponent, 0, kMostDecimals);
}

}  // namespace

XmlSpan withoutBlanks(const std::string& packet, XmlSpan span) {
    std::size_t begin = span.at, end = span.at + span.size;
    while (begin < end && isBlank(packet[begin])) ++begin;
    while (end > begin && isBlank(packet[end - 1])) --end;
    return {begin, end - begin};
}

bool parseWrittenNumber(const std::string& text, double* value, int* decimals) {
    if (text.empty() || text.size() > 40) return false;
    const int places = decimalsOf(text);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    if (places < 0 || error != std::errc() || end != text.data() + text.size() || !std::isfinite(*value)) return false;
    *decimals = std::min(places, kMostDecimals);
    return true;
}

bool readWrittenNumber(const XmpTree& tree, const std::string& packet, const XmpField& field, WrittenNumber* number) {
    XmlSpan span;
    if (!tree.rawValue(field, &span)) return false;
    span = withoutBlanks(packet, span);
    number->span = span;
    return parseWrittenNumber(packet.substr(span.at, span.size), &number->value, &number->decimals);
}

bool readWholeNumber(const XmpTree& tree, const std::string& packet, const XmpField& field, std::uint64_t* number,
                     XmlSpan* at) {
    XmlSpan span;
    if (!tree.rawValue(field, &span)) return false;
    span = withoutBlanks(packet, span);
    if (span.size == 0 || span.size > 15) return false;
    std::uint64_t value = 0;
    for (std::size_t i = span.at; i < span.at + span.size; ++i) {
        if (!isDigit(packet[i])) return false;
        value = value * 10 + static_cast<std::uint64_t>(packet[i] - '0');
    }
    *number = value;
    if (at) *at = span;
    return true;
}

std::string writtenNumber(double value, int decimals) {
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;  // no "-0"
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(text, end) : std::string("0");
}

std::optional<XmpField> findField(const std::vector<XmpField>& fields, const char* uri, const char* local) {
    for (const XmpField& field : fields)
        if (field.is(uri, local)) return field;
    return std::nullopt;
}

void applyReplacements(std::string* packet, std::vector<XmpReplacement> replacements) {
    std::sort(replacements.begin(), replacements.end(),
              [](const XmpReplacement& a, const XmpReplacement& b) { return a.span.at > b.span.at; });
    for (const XmpReplacement& replacement : replacements)
        packet->replace(replacement.span.at, replacement.span.size, replacement.text);
}
