#include "jpegfile/xmp_edit.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

constexpr char kXmpIdentifier[] = "http://ns.adobe.com/xap/1.0/";  // and its terminating zero
constexpr std::size_t kXmpIdentifierSize = sizeof kXmpIdentifier;
constexpr std::size_t kMaxPayload = 0xFFFF - 2;
constexpr char kContainerNamespace[] = "http://ns.google.com/photos/1.0/container/";
constexpr char kItemNamespace[] = "http://ns.google.com/photos/1.0/container/item/";
constexpr char kTiffNamespace[] = "http://ns.adobe.com/tiff/1.0/";

using Texts = std::vector<std::string>;

// Where a value's text lies in the packet.
struct Spot {
    std::size_t at = 0;
    std::size_t size = 0;
};

struct Range {
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct Replacement {
    Spot spot;
    std::string text;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.'; }

std::size_t skipSpace(const std::string& text, std::size_t at) {
    while (at < text.size() && isSpace(text[at])) ++at;
    return at;
}

// The quoted value that starts at `at` (a quote), or nothing.
std::optional<Spot> quotedValue(const std::string& text, std::size_t at) {
    if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return std::nullopt;
    std::size_t close = text.find(text[at], at + 1);
    if (close == std::string::npos) return std::nullopt;
    return Spot{at + 1, close - at - 1};
}

// The prefixes the packet binds to `uri` with xmlns:prefix="uri".
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

// The end of the start tag that begins at `at` (behind its '>'), quotes respected.
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

// Every start of `<name` as a whole element name within the range.
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

// The extent of the element that starts at `at`: its start tag alone when it closes itself.
Range elementRange(const std::string& text, const std::string& name, std::size_t at) {
    std::size_t end = tagEnd(text, at);
    if (end >= 2 && text[end - 2] == '/') return {at, end};
    std::size_t close = text.find("</" + name, end);
    return {at, close == std::string::npos ? text.size() : tagEnd(text, close)};
}

// The values of `name` inside the range: attributes (name="value") and element contents.
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

// The first value of the property under any of the prefixes, as a whole number; its spot too.
std::optional<std::uint64_t> numberOf(const std::string& text, const Texts& prefixes, const char* name, Range range,
                                      Spot* spot = nullptr) {
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

// Applies the replacements (back to front, so that earlier spots stay where they are) and puts
// the packet back, unless the segment would grow too large.
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

// The items of one container directory, in order.
std::vector<Range> directoryItems(const std::string& packet, const std::string& container, Range directory) {
    std::vector<Range> items;
    const std::string itemName = container + ":Item";
    for (std::size_t at : elementStarts(packet, itemName, directory)) {
        if (!items.empty() && at < items.back().end) continue;  // inside the previous item
        items.push_back(elementRange(packet, itemName, at));
    }
    return items;
}

// The new lengths of one directory's items, walked as they follow the first picture.
bool matchItems(const std::string& packet, const std::vector<Range>& items, const Texts& itemPrefixes,
                std::size_t firstPictureEnd, const std::vector<MovedPicture>& pictures,
                std::vector<Replacement>* replacements, std::string* reason) {
    std::uint64_t cursor = firstPictureEnd;
    for (std::size_t k = 0; k < items.size(); ++k) {
        std::uint64_t padding = numberOf(packet, itemPrefixes, "Padding", items[k]).value_or(0);
        if (k == 0) {  // the primary: the first picture itself
            cursor += padding;
            continue;
        }
        Spot spot;
        std::optional<std::uint64_t> length = numberOf(packet, itemPrefixes, "Length", items[k], &spot);
        if (!length) return true;  // the items behind one without a length cannot be placed
        const std::uint64_t start = cursor, end = cursor + *length;
        for (const MovedPicture& picture : pictures) {
            const std::uint64_t pictureEnd = std::uint64_t{picture.sourceStart} + picture.sourceSize;
            const std::uint64_t claimedEnd = pictureEnd + picture.claimedBeyond;
            if (start == picture.sourceStart && (end == pictureEnd || end == claimedEnd)) {
                const std::uint64_t beyond = end - pictureEnd;  // the bytes behind its EOI stay in the item
                replacements->push_back({spot, std::to_string(picture.size + beyond)});
            } else if (start < claimedEnd && picture.sourceStart < end) {
                *reason = "the XMP container directory does not match the pictures of the file";
                return false;
            }
        }
        cursor = end + padding;
    }
    return true;
}

}  // namespace

bool isXmpPayload(const unsigned char* payload, std::size_t size) {
    return size >= kXmpIdentifierSize && std::memcmp(payload, kXmpIdentifier, kXmpIdentifierSize) == 0;
}

bool rewriteContainerLengths(std::vector<unsigned char>* payload, std::size_t firstPictureEnd,
                             const std::vector<MovedPicture>& pictures, std::string* reason) {
    if (!isXmpPayload(payload->data(), payload->size())) {
        *reason = "the segment is no XMP packet";
        return false;
    }
    const std::string packet = packetOf(*payload);
    const Texts itemPrefixes = prefixesOf(packet, kItemNamespace);
    std::vector<Replacement> replacements;
    for (const std::string& container : prefixesOf(packet, kContainerNamespace)) {
        const std::string directoryName = container + ":Directory";
        for (std::size_t at : elementStarts(packet, directoryName, {0, packet.size()})) {
            const std::vector<Range> items = directoryItems(packet, container, elementRange(packet, directoryName, at));
            if (!matchItems(packet, items, itemPrefixes, firstPictureEnd, pictures, &replacements, reason)) return false;
        }
    }
    return replacements.empty() || applyReplacements(payload, packet, replacements, reason);
}

bool setXmpOrientation(std::vector<unsigned char>* payload, int value, std::string* reason) {
    if (!isXmpPayload(payload->data(), payload->size())) {
        *reason = "the segment is no XMP packet";
        return false;
    }
    const std::string packet = packetOf(*payload);
    std::vector<Replacement> replacements;
    for (const std::string& prefix : prefixesOf(packet, kTiffNamespace))
        for (const Spot& spot : propertyValues(packet, prefix + ":Orientation", {0, packet.size()}))
            replacements.push_back({spot, std::to_string(value)});
    return replacements.empty() || applyReplacements(payload, packet, replacements, reason);
}
