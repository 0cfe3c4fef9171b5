#include "jpegfile/xmp_thumbnail.h"

#include "jpegfile/base64.h"
#include "jpegfile/picture_layout.h"
#include "jpegfile/xmp_edit.h"
#include "jpegfile/xmp_text.h"

namespace {

using namespace xmp;
using Bytes = std::vector<unsigned char>;

constexpr char kXmpNamespace[] = "http://ns.adobe.com/xap/1.0/";
constexpr char kImageNamespace[] = "http://ns.adobe.com/xap/1.0/g/img/";
constexpr char kRdfNamespace[] = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";

bool fail(std::string* reason, const char* text) {
    *reason = text;
    return false;
}

// The base64 text of a value without the line breaks packets put into it, written as they are
// or as character references.
std::string base64Text(const std::string& packet, Spot spot) {
    std::string text;
    for (std::size_t at = spot.at, end = spot.at + spot.size; at < end; ++at) {
        if (isSpace(packet[at])) continue;
        if (packet[at] == '&') {
            const std::size_t close = packet.find(';', at);
            if (close < end) {
                at = close;
                continue;
            }
        }
        text += packet[at];
    }
    return text;
}

// The extents of the thumbnails: each item of every xmp:Thumbnails (the whole property where it
// lists no items).
std::vector<Range> thumbnailItems(const std::string& packet) {
    std::vector<Range> items;
    for (const std::string& prefix : prefixesOf(packet, kXmpNamespace)) {
        const std::string name = prefix + ":Thumbnails";
        for (std::size_t at : elementStarts(packet, name, {0, packet.size()})) {
            const Range property = elementRange(packet, name, at);
            const std::size_t before = items.size();
            for (const std::string& rdf : prefixesOf(packet, kRdfNamespace))
                for (std::size_t li : elementStarts(packet, rdf + ":li", property))
                    items.push_back(elementRange(packet, rdf + ":li", li));
            if (items.size() == before) items.push_back(property);
        }
    }
    return items;
}

// The replacements that turn the one thumbnail of `item`.
bool turnItem(const std::string& packet, Range item, const Texts& image, const JpegStreamTurner& turnJpeg,
              std::vector<Replacement>* replacements, std::string* reason) {
    for (const std::string& prefix : image) {
        const std::vector<Spot> images = propertyValues(packet, prefix + ":image", item);
        if (images.empty()) continue;
        Bytes jpeg, turned;
        if (!decodeBase64(base64Text(packet, images[0]), &jpeg)) return fail(reason, "the XMP thumbnail is no base64");
        std::string why;
        if (!turnJpeg(jpeg.data(), jpeg.size(), &turned, &why)) {
            *reason = "the XMP thumbnail cannot be turned: " + why;
            return false;
        }
        replacements->push_back({images[0], encodeBase64(turned)});
        const PictureLayout layout = pictureLayout(turned.data(), turned.size());
        Spot spot;
        if (numberOf(packet, {prefix}, "width", item, &spot)) replacements->push_back({spot, std::to_string(layout.width)});
        if (numberOf(packet, {prefix}, "height", item, &spot)) replacements->push_back({spot, std::to_string(layout.height)});
        return true;
    }
    return true;
}

}  // namespace

bool turnXmpThumbnails(Bytes* payload, const JpegStreamTurner& turnJpeg, std::string* reason) {
    if (!isXmpPayload(payload->data(), payload->size())) return fail(reason, "the segment is no XMP packet");
    const std::string packet = packetOf(*payload);
    const Texts image = prefixesOf(packet, kImageNamespace);
    std::vector<Replacement> replacements;
    if (!image.empty())
        for (const Range& item : thumbnailItems(packet))
            if (!turnItem(packet, item, image, turnJpeg, &replacements, reason)) return false;
    return replacements.empty() || applyReplacements(payload, packet, replacements, reason);
}
