#pragma once
// What an application segment or comment holds, told from its marker and the identifier at the
// start of its payload: for listing a photo's segments by kind.

#include <cstddef>
#include <string>

enum class SegmentKind {
    Jfif, Jfxx, Exif, Xmp, XmpExtension, Icc, Mpf, Adobe, Ducky, PhotoshopIrb, Comment,
    OtherApplication,  // an APPn segment of another kind
    NotApplication,    // a marker that is neither APPn nor COM
};

// `payload` is the segment's payload behind its length field.
SegmentKind segmentKind(int markerCode, const unsigned char* payload, std::size_t size);

// "JFIF", "JFXX", "Exif", "XMP", "XMP extension", "ICC profile", "MPF", "Adobe", "Ducky",
// "Photoshop IRB", "COM"; another APPn as "APP4 HEAPJPGM" (its printable identifier, when it has
// one); any other marker as "marker 0xDB".
std::string segmentKindName(int markerCode, const unsigned char* payload, std::size_t size);
