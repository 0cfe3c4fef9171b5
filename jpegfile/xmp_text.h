#pragma once
// Finding things in the text of an XMP packet without a full XML parser: the prefixes a packet
// binds a namespace to, elements by name and their extent, a property's values whether written as
// attributes or as elements, and replacements of value texts put back into the APP1 payload. Every
// search stays inside the text; nothing here reads past it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace xmp {

inline constexpr char kXmpIdentifier[] = "http://ns.adobe.com/xap/1.0/";  // and its terminating zero
inline constexpr std::size_t kXmpIdentifierSize = sizeof kXmpIdentifier;
inline constexpr std::size_t kMaxPayload = 0xFFFF - 2;

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

bool isSpace(char c);
bool isNameChar(char c);
std::size_t skipSpace(const std::string& text, std::size_t at);

// The quoted value that starts at `at` (a quote), or nothing.
std::optional<Spot> quotedValue(const std::string& text, std::size_t at);

// The prefixes the packet binds to `uri` with xmlns:prefix="uri".
Texts prefixesOf(const std::string& packet, const std::string& uri);

// The end of the start tag that begins at `at` (behind its '>'), quotes respected.
std::size_t tagEnd(const std::string& text, std::size_t at);

// Every start of `<name` as a whole element name within the range.
std::vector<std::size_t> elementStarts(const std::string& text, const std::string& name, Range range);

// The extent of the element that starts at `at`: its start tag alone when it closes itself.
Range elementRange(const std::string& text, const std::string& name, std::size_t at);

// The values of `name` inside the range: attributes (name="value") and element contents.
std::vector<Spot> propertyValues(const std::string& text, const std::string& name, Range range);

// The first value of the property under any of the prefixes, as a whole number; its spot too.
std::optional<std::uint64_t> numberOf(const std::string& text, const Texts& prefixes, const char* name, Range range,
                                      Spot* spot = nullptr);

// The packet behind the XMP identifier of an APP1 payload.
std::string packetOf(const std::vector<unsigned char>& payload);

// Applies the replacements (back to front, so that earlier spots stay where they are) and puts
// the packet back, unless the segment would grow too large.
bool applyReplacements(std::vector<unsigned char>* payload, std::string packet, std::vector<Replacement> replacements,
                       std::string* reason);

}  // namespace xmp
