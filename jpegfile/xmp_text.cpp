#include "jpegfile/xmp_text.h"

#include <algorithm>
#include <cctype>

namespace xmp {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.'; }

std::size_t skipSpace(const std::string& text, std::size_t at) {
    while (at < text.size() && isSpace(text[at])) ++at;
    return at;
}

std::optional<Spot> quotedValue(const std::string& text, std::size_t at) {
    if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return std::nullopt;
    std::size_t close = text.find(text[at], at + 1);
    if (close == std::string::npos) return std::nullopt;
    return Spot{at + 1, close - at - 1};
}

Texts prefixesOf(const std::string& packet, const std::string& uri) {
    Texts prefixes;
    for (std::size_t at = packet.find("xmlns:"); at != std::string::npos; at = packet.find("xmlns:", at + 1)) {
        std::size_t nameEnd = at + 6;
        while (nameEnd < packet.size() && isNameChar(packet[nameEnd])) ++nameEnd;
        std::size_t equals = skipSpace(packet, nameEnd);
        if (nameEnd == at + 6 || equals >= packet.size() || packet[equals] != '=') continue;
        std::optional<Spot> value = quotedValue(packet, skipSpace(packet, equals + 1));
        if (value && packet.compare(value->at, value->size, uri) == 0)
            prefixes.push_back(packet.substr(at + 6, nameEnd - at - 6));
    }
    return prefixes;
}

std::size_t tagEnd(const std::string& text, std::size_t at) {
    char quote = 0;
    for (std::size_t i = at; i < text.size(); ++i) {
        if (quote) {
            if (text[i] == quote) quote = 0;
        } else if (text[i] == '"' || text[i] == '\'') {
            quote = text[i];
        } else if (text[i] == '>') {
            return i + 1;
        }
    }
    return text.size();
}

std::vector<std::size_t> elementStarts(const std::string& text, const std::string& name, Range range) {
    std::vector<std::size_t> starts;
    const std::string open = "<" + name;
    for (std::size_t at = text.find(open, range.begin); at != std::string::npos && at < range.end;
         at = text.find(open, at + 1)) {
        std::size_t after = at + open.size();
        if (after < text.size() && (isSpace(text[after]) || text[after] == '>' || text[after] == '/'))
            starts.push_back(at);
    }
    return starts;
}

Range elementRange(const std::string& text, const std::string& name, std::size_t at) {
    std::size_t end = tagEnd(text, at);
    if (end >= 2 && text[end - 2] == '/') return {at, end};
    std::size_t close = text.find("</" + name, end);
    return {at, close == std::string::npos ? text.size() : tagEnd(text, close)};
}

std::vector<Spot> propertyValues(const std::string& text, const std::string& name, Range range) {
    std::vector<Spot> values;
    for (std::size_t at = text.find(name, range.begin); at != std::string::npos && at < range.end;
         at = text.find(name, at + 1)) {
        std::size_t after = at + name.size();
        if (at == 0 || after >= text.size()) continue;
        if (isSpace(text[at - 1])) {
            std::size_t equals = skipSpace(text, after);
            if (equals < text.size() && text[equals] == '=')
                if (std::optional<Spot> value = quotedValue(text, skipSpace(text, equals + 1))) values.push_back(*value);
        } else if (text[at - 1] == '<' && (text[after] == '>' || isSpace(text[after]))) {
            std::size_t content = tagEnd(text, at - 1);
            std::size_t close = text.find("</" + name, content);
            if (text[content - 2] != '/' && close != std::string::npos && close < range.end)
                values.push_back(Spot{content, close - content});
        }
    }
    return values;
}

std::optional<std::uint64_t> numberOf(const std::string& text, const Texts& prefixes, const char* name, Range range,
                                      Spot* spot) {
    for (const std::string& prefix : prefixes) {
        std::vector<Spot> values = propertyValues(text, prefix + ":" + name, range);
        if (values.empty()) continue;
        std::size_t begin = skipSpace(text, values[0].at), end = values[0].at + values[0].size;
        while (end > begin && isSpace(text[end - 1])) --end;
        if (begin == end || end - begin > 15) return std::nullopt;
        std::uint64_t number = 0;
        for (std::size_t i = begin; i < end; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
            number = number * 10 + static_cast<std::uint64_t>(text[i] - '0');
        }
        if (spot) *spot = Spot{begin, end - begin};
        return number;
    }
    return std::nullopt;
}

std::string packetOf(const std::vector<unsigned char>& payload) {
    return std::string(payload.begin() + kXmpIdentifierSize, payload.end());
}

bool applyReplacements(std::vector<unsigned char>* payload, std::string packet, std::vector<Replacement> replacements,
                       std::string* reason) {
    std::sort(replacements.begin(), replacements.end(),
              [](const Replacement& a, const Replacement& b) { return a.spot.at > b.spot.at; });
    for (const Replacement& replacement : replacements) packet.replace(replacement.spot.at, replacement.spot.size, replacement.text);
    if (kXmpIdentifierSize + packet.size() > kMaxPayload) {
        *reason = "the XMP segment would exceed 65535 bytes";
        return false;
    }
    payload->resize(kXmpIdentifierSize);
    payload->insert(payload->end(), packet.begin(), packet.end());
    return true;
}

}  // namespace xmp
