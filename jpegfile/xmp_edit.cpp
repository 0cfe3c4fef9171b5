#include "jpegfile/xmp_edit.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>

#include "jpegfile/xmp_regions.h"
#include "jpegfile/xmp_tree.h"
#include "jpegfile/xmp_values.h"

namespace {

constexpr char kXmpIdentifier[] = "http://ns.adobe.com/xap/1.0/";  // and its terminating zero
constexpr std::size_t kXmpIdentifierSize = sizeof kXmpIdentifier;
constexpr std::size_t kMaxPayload = 0xFFFF - 2;
constexpr char kContainerNamespace[] = "http://ns.google.com/photos/1.0/container/";
constexpr char kItemNamespace[] = "http://ns.google.com/photos/1.0/container/item/";
constexpr char kTiffNamespace[] = "http://ns.adobe.com/tiff/1.0/";
constexpr char kExifNamespace[] = "http://ns.adobe.com/exif/1.0/";
// What a turn may change: every namespace of the properties above and of the regions.
constexpr const char* kTurnNamespaces[] = {kTiffNamespace, kExifNamespace,
                                           "http://www.metadataworkinggroup.com/schemas/regions/",
                                           "http://ns.microsoft.com/photo/1.2/"};

using Replacements = std::vector<XmpReplacement>;

// Whether the packet names any of the namespaces: a prefix is bound to one only by its name.
template <typename Names>
bool mentions(const std::string& packet, const Names& namespaces) {
    for (const char* name : namespaces)
        if (packet.find(name) != std::string::npos) return true;
    return false;
}

bool packetOfSegment(const std::vector<unsigned char>& payload, std::string* packet, std::string* reason) {
    if (!isXmpPayload(payload.data(), payload.size())) {
        *reason = "the segment is no XMP packet";
        return false;
    }
    packet->assign(payload.begin() + kXmpIdentifierSize, payload.end());
    return true;
}

// The edited packet back in the payload, unless the segment would grow too large.
bool putPacket(std::vector<unsigned char>* payload, std::string packet, const Replacements& replacements,
               std::string* reason) {
    applyReplacements(&packet, replacements);
    if (kXmpIdentifierSize + packet.size() > kMaxPayload) {
        *reason = "the XMP segment would exceed 65535 bytes";
        return false;
    }
    payload->resize(kXmpIdentifierSize);
    payload->insert(payload->end(), packet.begin(), packet.end());
    return true;
}

// The new lengths of one directory's items, walked as they follow the first picture.
bool matchItems(const XmpTree& tree, const std::string& packet, const XmpField& directory, std::size_t firstPictureEnd,
                const std::vector<MovedPicture>& pictures, Replacements* replacements, std::string* reason) {
    std::uint64_t cursor = firstPictureEnd;
    bool primary = true;
    for (const XmpField& entry : tree.itemsOf(directory)) {
        const std::optional<XmpField> item = findField(tree.fieldsOf(entry), kContainerNamespace, "Item");
        if (!item) continue;
        const std::vector<XmpField> fields = tree.fieldsOf(*item);
        std::uint64_t padding = 0, length = 0;
        if (const std::optional<XmpField> field = findField(fields, kItemNamespace, "Padding"))
            if (!readWholeNumber(tree, packet, *field, &padding)) padding = 0;
        if (primary) {  // the first picture itself
            primary = false;
            cursor += padding;
            continue;
        }
        XmlSpan span;
        const std::optional<XmpField> lengthField = findField(fields, kItemNamespace, "Length");
        if (!lengthField || !readWholeNumber(tree, packet, *lengthField, &length, &span))
            return true;  // the items behind one without a length cannot be placed
        const std::uint64_t start = cursor, end = cursor + length;
        for (const MovedPicture& picture : pictures) {
            const std::uint64_t pictureEnd = std::uint64_t{picture.sourceStart} + picture.sourceSize;
            const std::uint64_t claimedEnd = pictureEnd + picture.claimedBeyond;
            if (start == picture.sourceStart && (end == pictureEnd || end == claimedEnd)) {
                const std::uint64_t beyond = end - pictureEnd;  // the bytes behind its EOI stay in the item
                replacements->push_back({span, std::to_string(picture.size + beyond)});
            } else if (start < claimedEnd && picture.sourceStart < end) {
                *reason = "the XMP container directory does not match the pictures of the file";
                return false;
            }
        }
        cursor = end + padding;
    }
    return true;
}

bool orientationTo(const XmpTree& tree, const std::vector<XmpField>& fields, int value, Replacements* replacements,
                   std::string* reason) {
    for (const XmpField& field : fields) {
        if (!field.is(kTiffNamespace, "Orientation")) continue;
        XmlSpan span;
        if (!tree.rawValue(field, &span)) {
            *reason = "its XMP orientation is no simple value";
            return false;
        }
        replacements->push_back({span, std::to_string(value)});
    }
    return true;
}

// One pair of pixel dimensions of the stored picture (jpegfile/position_turn.h: turnStatedSize).
bool turnDimensions(const XmpTree& tree, const std::string& packet, const PictureTurn& turn,
                    const std::vector<XmpField>& fields, const char* uri, const char* widthName, const char* heightName,
                    Replacements* replacements, std::string* reason) {
    const std::optional<XmpField> fieldOf[2] = {findField(fields, uri, widthName), findField(fields, uri, heightName)};
    std::uint64_t value[2] = {0, 0};
    XmlSpan span[2];
    for (int i = 0; i < 2; ++i) {
        if (fieldOf[i] && !readWholeNumber(tree, packet, *fieldOf[i], &value[i], &span[i])) {
            *reason = std::string("its XMP ") + (i == 0 ? widthName : heightName) + " is no whole number";
            return false;
        }
    }
    StatedSize size;
    if (fieldOf[0]) size.width = value[0];
    if (fieldOf[1]) size.height = value[1];
    if (!turnStatedSize(turn, &size)) return true;
    const std::optional<std::uint64_t> turned[2] = {size.width, size.height};
    for (int i = 0; i < 2; ++i)
        if (turned[i] && *turned[i] != value[i]) replacements->push_back({span[i], std::to_string(*turned[i])});
    return true;
}

bool turnReplacements(const XmpTree& tree, const std::string& packet, const PictureTurn& turn,
                      Replacements* replacements, std::string* reason) {
    const std::vector<XmpField> fields = tree.topLevelFields();
    if (turn.tagAfter != 0 && !orientationTo(tree, fields, turn.tagAfter, replacements, reason)) return false;
    if (turn.movesNothing()) return true;
    return turnDimensions(tree, packet, turn, fields, kExifNamespace, "PixelXDimension", "PixelYDimension",
                          replacements, reason) &&
           turnDimensions(tree, packet, turn, fields, kTiffNamespace, "ImageWidth", "ImageLength", replacements,
                          reason) &&
           turnXmpRegions(tree, packet, turn, replacements, reason);
}

// The replacements a turn makes in `packet`: none for a packet that names nothing it changes.
bool replacementsOfTurn(const std::string& packet, const PictureTurn& turn, Replacements* replacements,
                        std::string* reason) {
    if (!mentions(packet, kTurnNamespaces)) return true;
    XmpTree tree;
    return tree.read(packet, reason) && turnReplacements(tree, packet, turn, replacements, reason);
}

}  // namespace

bool isXmpPayload(const unsigned char* payload, std::size_t size) {
    return size >= kXmpIdentifierSize && std::memcmp(payload, kXmpIdentifier, kXmpIdentifierSize) == 0;
}

bool rewriteContainerLengths(std::vector<unsigned char>* payload, std::size_t firstPictureEnd,
                             const std::vector<MovedPicture>& pictures, std::string* reason) {
    std::string packet;
    if (!packetOfSegment(*payload, &packet, reason)) return false;
    if (!mentions(packet, std::initializer_list<const char*>{kContainerNamespace})) return true;
    XmpTree tree;
    if (!tree.read(packet, reason)) return false;
    Replacements replacements;
    for (const XmpField& field : tree.topLevelFields())
        if (field.is(kContainerNamespace, "Directory") &&
            !matchItems(tree, packet, field, firstPictureEnd, pictures, &replacements, reason))
            return false;
    return replacements.empty() || putPacket(payload, std::move(packet), replacements, reason);
}

std::vector<ContainerItem> containerItems(const std::vector<unsigned char>& payload, std::size_t firstPictureEnd) {
    std::vector<ContainerItem> found;
    std::string packet, reason;
    XmpTree tree;
    if (!packetOfSegment(payload, &packet, &reason) ||
        !mentions(packet, std::initializer_list<const char*>{kContainerNamespace}) || !tree.read(packet, &reason))
        return found;
    for (const XmpField& directory : tree.topLevelFields()) {
        if (!directory.is(kContainerNamespace, "Directory")) continue;
        std::uint64_t cursor = firstPictureEnd;
        std::size_t k = 0;
        for (const XmpField& entry : tree.itemsOf(directory)) {
            const std::optional<XmpField> item = findField(tree.fieldsOf(entry), kContainerNamespace, "Item");
            if (!item) continue;
            const std::vector<XmpField> fields = tree.fieldsOf(*item);
            std::uint64_t padding = 0, length = 0;
            if (const std::optional<XmpField> field = findField(fields, kItemNamespace, "Padding"))
                if (!readWholeNumber(tree, packet, *field, &padding)) padding = 0;
            if (k++ > 0) {  // behind the primary, which is the first picture itself
                const std::optional<XmpField> lengthField = findField(fields, kItemNamespace, "Length");
                if (!lengthField || !readWholeNumber(tree, packet, *lengthField, &length))
                    break;  // the items behind one without a length cannot be placed
                const std::optional<XmpField> mime = findField(fields, kItemNamespace, "Mime");
                found.push_back(ContainerItem{k - 1, mime ? tree.value(*mime) : "", static_cast<std::size_t>(cursor),
                                              static_cast<std::size_t>(length)});
            }
            cursor += length + padding;
        }
    }
    return found;
}

bool turnXmpPacket(std::string* packet, const PictureTurn& turn, std::string* reason) {
    Replacements replacements;
    if (!replacementsOfTurn(*packet, turn, &replacements, reason)) return false;
    applyReplacements(packet, replacements);
    return true;
}

bool turnXmpSegment(std::vector<unsigned char>* payload, const PictureTurn& turn, std::string* reason) {
    std::string packet;
    Replacements replacements;
    if (!packetOfSegment(*payload, &packet, reason) || !replacementsOfTurn(packet, turn, &replacements, reason))
        return false;
    return replacements.empty() || putPacket(payload, std::move(packet), replacements, reason);
}

bool setXmpOrientation(std::vector<unsigned char>* payload, int value, std::string* reason) {
    PictureTurn orientation;
    orientation.tagAfter = value;
    return turnXmpSegment(payload, orientation, reason);
}

int xmpOrientation(const std::string& packet) {
    XmpTree tree;
    std::string reason;
    if (packet.find(kTiffNamespace) == std::string::npos || !tree.read(packet, &reason)) return 0;
    for (const XmpField& field : tree.topLevelFields()) {
        std::uint64_t value = 0;
        if (field.is(kTiffNamespace, "Orientation") && readWholeNumber(tree, packet, field, &value))
            return value >= 1 && value <= 8 ? static_cast<int>(value) : 0;
    }
    return 0;
}

std::string xmpPacketOf(const unsigned char* payload, std::size_t size) {
    if (!isXmpPayload(payload, size)) return {};
    return std::string(payload + kXmpIdentifierSize, payload + size);
}
