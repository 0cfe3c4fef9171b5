#include "jpegfile/segment_kind.h"

#include <cstdio>
#include <cstring>

#include "jpegfile/segment_fields.h"

namespace {

struct KnownKind {
    int markerCode;
    const char* identifier;
    std::size_t identifierSize;  // the terminating zero counts where the format has one
    SegmentKind kind;
    const char* name;
};

constexpr KnownKind kKnownKinds[] = {
    {0xE0, "JFIF", 5, SegmentKind::Jfif, "JFIF"},
    {0xE0, "JFXX", 5, SegmentKind::Jfxx, "JFXX"},
    {0xE1, "Exif", 4, SegmentKind::Exif, "Exif"},  // as the section reader tells an Exif block
    {0xE1, "http://ns.adobe.com/xap/1.0/", 29, SegmentKind::Xmp, "XMP"},
    {0xE1, "http://ns.adobe.com/xmp/extension/", 35, SegmentKind::XmpExtension, "XMP extension"},
    {0xE2, "ICC_PROFILE", 12, SegmentKind::Icc, "ICC profile"},
    {0xE2, "MPF", 4, SegmentKind::Mpf, "MPF"},
    {0xEC, "Ducky", 5, SegmentKind::Ducky, "Ducky"},
    {0xED, "Photoshop 3.0", 14, SegmentKind::PhotoshopIrb, "Photoshop IRB"},
    {0xEE, "Adobe", 5, SegmentKind::Adobe, "Adobe"},
};

const KnownKind* knownKind(int markerCode, const unsigned char* payload, std::size_t size) {
    for (const KnownKind& known : kKnownKinds) {
        if (known.markerCode == markerCode && size >= known.identifierSize &&
            std::memcmp(payload, known.identifier, known.identifierSize) == 0)
            return &known;
    }
    return nullptr;
}

constexpr std::size_t kMaxIdentifierShown = 32;

// The printable characters the payload begins with, up to its first other byte.
std::string identifierText(const unsigned char* payload, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size && text.size() < kMaxIdentifierShown; ++i) {
        if (payload[i] < 0x20 || payload[i] > 0x7E) break;
        text += static_cast<char>(payload[i]);
    }
    return text;
}

}  // namespace

SegmentKind segmentKind(int markerCode, const unsigned char* payload, std::size_t size) {
    if (markerCode == kComment) return SegmentKind::Comment;
    if (!isApplicationMarker(markerCode)) return SegmentKind::NotApplication;
    const KnownKind* known = knownKind(markerCode, payload, size);
    return known ? known->kind : SegmentKind::OtherApplication;
}

std::string segmentKindName(int markerCode, const unsigned char* payload, std::size_t size) {
    char name[16];
    if (markerCode == kComment) return "COM";
    if (!isApplicationMarker(markerCode)) {
        std::snprintf(name, sizeof name, "marker 0x%02X", markerCode & 0xFF);
        return name;
    }
    if (const KnownKind* known = knownKind(markerCode, payload, size)) return known->name;
    std::snprintf(name, sizeof name, "APP%d", markerCode - kApp0);
    std::string identifier = identifierText(payload, size);
    return identifier.empty() ? name : std::string(name) + " " + identifier;
}
