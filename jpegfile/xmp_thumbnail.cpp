#include "jpegfile/xmp_thumbnail.h"

#include <optional>

#include "jpegfile/base64.h"
#include "jpegfile/picture_layout.h"
#include "jpegfile/xmp_edit.h"
#include "jpegfile/xmp_tree.h"
#include "jpegfile/xmp_values.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr char kXmpIdentifier[] = "http://ns.adobe.com/xap/1.0/";  // and its terminating zero
constexpr std::size_t kXmpIdentifierSize = sizeof kXmpIdentifier;
constexpr std::size_t kMaxPayload = 0xFFFF - 2;
constexpr char kXmpNamespace[] = "http://ns.adobe.com/xap/1.0/";
constexpr char kImageNamespace[] = "http://ns.adobe.com/xap/1.0/g/img/";

bool fail(std::string* reason, const char* text) {
    *reason = text;
    return false;
}

// The base64 text without the line breaks and blanks packets put into it.
std::string base64Text(const std::string& value) {
    std::string text;
    for (char c : value)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') text += c;
    return text;
}

// The replacements that turn the one thumbnail whose fields are `fields`.
bool turnItem(const XmpTree& tree, const std::string& packet, const std::vector<XmpField>& fields,
              const JpegStreamTurner& turnJpeg, std::vector<XmpReplacement>* replacements, std::string* reason) {
    const std::optional<XmpField> image = findField(fields, kImageNamespace, "image");
    XmlSpan span;
    if (!image || !tree.rawValue(*image, &span)) return true;
    Bytes jpeg, turned;
    if (!decodeBase64(base64Text(tree.value(*image)), &jpeg)) return fail(reason, "the XMP thumbnail is no base64");
    std::string why;
    if (!turnJpeg(jpeg.data(), jpeg.size(), &turned, &why)) {
        *reason = "the XMP thumbnail cannot be turned: " + why;
        return false;
    }
    replacements->push_back({span, encodeBase64(turned)});
    const PictureLayout layout = pictureLayout(turned.data(), turned.size());
    for (const auto& [name, size] : {std::pair{"width", layout.width}, {"height", layout.height}}) {
        std::uint64_t number = 0;
        XmlSpan at;
        if (const std::optional<XmpField> field = findField(fields, kImageNamespace, name))
            if (readWholeNumber(tree, packet, *field, &number, &at)) replacements->push_back({at, std::to_string(size)});
    }
    return true;
}

}  // namespace

bool turnXmpThumbnails(Bytes* payload, const JpegStreamTurner& turnJpeg, std::string* reason) {
    if (!isXmpPayload(payload->data(), payload->size())) return fail(reason, "the segment is no XMP packet");
    std::string packet(payload->begin() + kXmpIdentifierSize, payload->end());
    if (packet.find(kImageNamespace) == std::string::npos) return true;
    XmpTree tree;
    if (!tree.read(packet, reason)) return false;
    std::vector<XmpReplacement> replacements;
    for (const XmpField& thumbnails : tree.topLevelFields()) {
        if (!thumbnails.is(kXmpNamespace, "Thumbnails")) continue;
        std::vector<XmpField> items = tree.itemsOf(thumbnails);
        if (items.empty()) items.push_back(thumbnails);  // one thumbnail, not in an array
        for (const XmpField& item : items)
            if (!turnItem(tree, packet, tree.fieldsOf(item), turnJpeg, &replacements, reason)) return false;
    }
    if (replacements.empty()) return true;
    applyReplacements(&packet, replacements);
    if (kXmpIdentifierSize + packet.size() > kMaxPayload) return fail(reason, "the XMP segment would exceed 65535 bytes");
    payload->resize(kXmpIdentifierSize);
    payload->insert(payload->end(), packet.begin(), packet.end());
    return true;
}
