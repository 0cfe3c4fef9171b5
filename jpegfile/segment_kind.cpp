#include "jpegfile/segment_kind.h"

#include <cstdio>
#include <cstring>

#include "jpegfile/markers.h"

namespace {

struct KnownKind {
    int markerCode;
    const char* identifier;
    std::size_t identifierSize;  // the terminating zero counts where the format has one
    SegmentKind kind;
    const char* name;
};

constexpr KnownKind kKnownKinds[] = {
    {kApp0, "JFIF", 5, SegmentKind::Jfif, "JFIF"},
    {kApp0, "JFXX", 5, SegmentKind::Jfxx, "JFXX"},
    {kApp1, "Exif", 4, SegmentKind::Exif, "Exif"},
    {kApp1, "http://ns.adobe.com/xap/1.0/", 29, SegmentKind::Xmp, "XMP"},
    {kApp1, "http://ns.adobe.com/xmp/extension/", 35, SegmentKind::XmpExtension, "XMP extension"},
    {kApp2, "ICC_PROFILE", 12, SegmentKind::Icc, "ICC profile"},
    {kApp2, "MPF", 4, SegmentKind::Mpf, "MPF"},
    {kApp12, "Ducky", 5, SegmentKind::Ducky, "Ducky"},
    {kApp13, "Photoshop 3.0", 14, SegmentKind::PhotoshopIrb, "Photoshop IRB"},
    {kApp14, "Adobe", 5, SegmentKind::Adobe, "Adobe"},
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
    if (markerCode == kCom) return SegmentKind::Comment;
    if (!isApplicationMarker(markerCode)) return SegmentKind::NotApplication;
    const KnownKind* known = knownKind(markerCode, payload, size);
    return known ? known->kind : SegmentKind::OtherApplication;
}

std::string segmentKindName(int markerCode, const unsigned char* payload, std::size_t size) {
    char name[16];
    if (markerCode == kCom) return "COM";
    if (!isApplicationMarker(markerCode)) {
        std::snprintf(name, sizeof name, "marker 0x%02X", markerCode & 0xFF);
        return name;
    }
    if (const KnownKind* known = knownKind(markerCode, payload, size)) return known->name;
    std::snprintf(name, sizeof name, "APP%d", markerCode - kApp0);
    std::string identifier = identifierText(payload, size);
    return identifier.empty() ? name : std::string(name) + " " + identifier;
}
