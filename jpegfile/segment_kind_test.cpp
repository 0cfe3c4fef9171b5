#include "jpegfile/segment_kind.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SegmentKindTest, NamedFromMarkerAndIdentifier) {
    struct Case { int code; std::string payload; SegmentKind kind; const char* name; };
    const Case cases[] = {
        {0xE0, std::string("JFIF\0\x01\x02", 7), SegmentKind::Jfif, "JFIF"},
        {0xE0, std::string("JFXX\0\x10", 6), SegmentKind::Jfxx, "JFXX"},
        {0xE0, "JFIF", SegmentKind::OtherApplication, "APP0 JFIF"},  // no terminating zero
        {0xE0, "HEAPJPGM\x01\x02", SegmentKind::OtherApplication, "APP0 HEAPJPGM"},
        {0xE1, std::string("Exif\0\0II", 8), SegmentKind::Exif, "Exif"},
        {0xE1, std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33), SegmentKind::Xmp, "XMP"},
        {0xE1, std::string("http://ns.adobe.com/xmp/extension/\0", 35), SegmentKind::XmpExtension, "XMP extension"},
        {0xE2, std::string("ICC_PROFILE\0\x01\x01", 14), SegmentKind::Icc, "ICC profile"},
        {0xE2, std::string("MPF\0MM\0*", 8), SegmentKind::Mpf, "MPF"},
        {0xE3, std::string("MPF\0", 4), SegmentKind::OtherApplication, "APP3 MPF"},  // the right text, the wrong marker
        {0xEC, "Ducky\x01", SegmentKind::Ducky, "Ducky"},
        {0xED, std::string("Photoshop 3.0\08BIM", 18), SegmentKind::PhotoshopIrb, "Photoshop IRB"},
        {0xEE, "Adobe\x00\x64", SegmentKind::Adobe, "Adobe"},
        {0xEF, "", SegmentKind::OtherApplication, "APP15"},
        {0xE4, std::string(50, 'x'), SegmentKind::OtherApplication, "APP4 xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
        {0xFE, "any text", SegmentKind::Comment, "COM"},
        {0xDB, "", SegmentKind::NotApplication, "marker 0xDB"},
    };
    for (const Case& c : cases) {
        const auto* payload = reinterpret_cast<const unsigned char*>(c.payload.data());
        EXPECT_EQ(segmentKind(c.code, payload, c.payload.size()), c.kind) << c.name;
        EXPECT_EQ(segmentKindName(c.code, payload, c.payload.size()), c.name);
    }
}

}  // namespace
