#include "jpegfile/xmp_edit.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "jpegfile/xmp_text.h"

namespace {

using namespace xmp;

constexpr char kContainerNamespace[] = "http://ns.google.com/photos/1.0/container/";
constexpr char kItemNamespace[] = "http://ns.google.com/photos/1.0/container/item/";
constexpr char kTiffNamespace[] = "http://ns.adobe.com/tiff/1.0/";

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

std::vector<ContainerItem> containerItems(const std::vector<unsigned char>& payload, std::size_t firstPictureEnd) {
    std::vector<ContainerItem> found;
    if (!isXmpPayload(payload.data(), payload.size())) return found;
    const std::string packet = packetOf(payload);
    const Texts itemPrefixes = prefixesOf(packet, kItemNamespace);
    for (const std::string& container : prefixesOf(packet, kContainerNamespace)) {
        const std::string directoryName = container + ":Directory";
        for (std::size_t at : elementStarts(packet, directoryName, {0, packet.size()})) {
            const std::vector<Range> items = directoryItems(packet, container, elementRange(packet, directoryName, at));
            std::uint64_t cursor = firstPictureEnd;
            for (std::size_t k = 0; k < items.size(); ++k) {
                const std::uint64_t padding = numberOf(packet, itemPrefixes, "Padding", items[k]).value_or(0);
                std::optional<std::uint64_t> length = k == 0 ? std::optional<std::uint64_t>(0)
                                                             : numberOf(packet, itemPrefixes, "Length", items[k]);
                if (!length) break;
                if (k > 0) {
                    ContainerItem item{k, "", cursor, *length};
                    for (const std::string& prefix : itemPrefixes)
                        for (const Spot& mime : propertyValues(packet, prefix + ":Mime", items[k]))
                            if (item.mime.empty()) item.mime = packet.substr(mime.at, mime.size);
                    found.push_back(item);
                }
                cursor += *length + padding;
            }
        }
    }
    return found;
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
