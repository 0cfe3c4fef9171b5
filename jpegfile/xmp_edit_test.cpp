#include "jpegfile/xmp_edit.h"

#include <gtest/gtest.h>

#include "tests/support/multi_picture.h"
#include "tests/support/xmp_builder.h"

namespace {

using namespace testsupport;

Bytes xmpOf(const std::string& packet) {
    const std::string whole = std::string("http://ns.adobe.com/xap/1.0/", 29) + packet;
    return Bytes(whole.begin(), whole.end());
}

const std::string kRdfOpen = "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>", kRdfClose = "</rdf:RDF>";

// The further pictures placed as the test file has them, each turned to `grow` more bytes.
std::vector<MovedPicture> turnedPictures(const MultiPicture& made, std::size_t grow) {
    std::vector<MovedPicture> pictures;
    for (std::size_t i = 0; i < made.pictures.size(); ++i)
        pictures.push_back({i + 1, made.starts[i], made.pictures[i].size(), 0, made.pictures[i].size() + grow});
    return pictures;
}

// Each item whose data is a turned picture gets its new length, in whichever form and under
// whichever prefixes the packet states it; padding and the video's item are followed.
TEST(XmpEditTest, ContainerItemLengthsFollowTheTurnedPictures) {
    MultiPictureSpec withVideo = ultraHdrSpec(ContainerForm::Elements, ByteOrder::Motorola);
    FurtherPictureSpec depth = withVideo.further[0];
    depth.semantic = "Depth";
    depth.gapBefore = 37;
    withVideo.further.insert(withVideo.further.begin(), depth);
    withVideo.further[1].gapBefore = 5;
    withVideo.video = Bytes(500, 0x33);
    MultiPictureSpec otherPrefixes = ultraHdrSpec(ContainerForm::Attributes);
    otherPrefixes.containerPrefix = "GContainer";
    otherPrefixes.itemPrefix = "gi";
    for (const MultiPictureSpec& recipe : {ultraHdrSpec(ContainerForm::Attributes), withVideo, otherPrefixes}) {
        const MultiPicture made = makeMultiPicture(recipe);
        Bytes xmp = made.xmp;
        std::string reason;
        ASSERT_TRUE(rewriteContainerLengths(&xmp, made.firstEnd, turnedPictures(made, 1234), &reason)) << reason;
        std::vector<std::size_t> lengths;
        for (const Bytes& picture : made.pictures) lengths.push_back(picture.size() + 1234);
        EXPECT_EQ(xmp, containerXmp(recipe, lengths));
    }
}

TEST(XmpEditTest, OrientationBecomesUprightInEitherFormUnderAnyPrefix) {
    const MultiPictureSpec attributes = ultraHdrSpec(ContainerForm::Attributes), elements = ultraHdrSpec(ContainerForm::Elements);
    const std::pair<Bytes, Bytes> cases[] = {
        {containerXmp(attributes, {99}, "6"), containerXmp(attributes, {99}, "1")},
        {containerXmp(elements, {99}, " 8 "), containerXmp(elements, {99}, "1")},
        {xmpOf(kRdfOpen + "<rdf:Description xmlns:t='http://ns.adobe.com/tiff/1.0/' xmlns:x='urn:x' t:Orientation = '3' "
               "x:Orientation='3'/>" + kRdfClose),
         xmpOf(kRdfOpen + "<rdf:Description xmlns:t='http://ns.adobe.com/tiff/1.0/' xmlns:x='urn:x' t:Orientation = '1' "
               "x:Orientation='3'/>" + kRdfClose)},
        {xmpOf("<d tiff:Orientation='3'/>"), xmpOf("<d tiff:Orientation='3'/>")},  // the prefix is bound to nothing
    };
    for (const auto& [before, after] : cases) {
        Bytes xmp = before;
        std::string reason;
        EXPECT_TRUE(setXmpOrientation(&xmp, 1, &reason)) << reason;
        EXPECT_EQ(xmp, after);
    }
}

// A directory whose items do not lie where the pictures are cannot be corrected; the segment must
// keep within 65535 bytes; what is not an XMP packet is not edited.
TEST(XmpEditTest, EditsThatCannotStandAreRefusedUnchanged) {
    const MultiPictureSpec recipe = ultraHdrSpec(ContainerForm::Attributes);
    const MultiPicture made = makeMultiPicture(recipe);
    std::vector<MovedPicture> misplaced = turnedPictures(made, 1);
    misplaced[0].sourceStart -= 10;  // the item ends ten bytes behind the picture's end
    const std::string head = kRdfOpen + "<rdf:Description xmlns:C='http://ns.google.com/photos/1.0/container/' "
                             "xmlns:I='http://ns.google.com/photos/1.0/container/item/'><C:Directory><rdf:Seq>"
                             "<rdf:li><C:Item I:Semantic='Primary'/></rdf:li><rdf:li><C:Item I:Length='9'/></rdf:li>"
                             "</rdf:Seq></C:Directory>";
    const std::string tail = "</rdf:Description>" + kRdfClose;
    const Bytes full = xmpOf(head + std::string(65529 - 29 - head.size() - tail.size(), ' ') + tail);
    Bytes wrongIdentifier = xmpOf("<x/>");
    wrongIdentifier[28] = '!';
    struct Case { Bytes xmp; std::size_t firstEnd; std::vector<MovedPicture> pictures; const char* reason; };
    const Case cases[] = {
        {containerXmp(recipe, {made.pictures[0].size() - 10}), made.firstEnd, misplaced,
         "the XMP container directory does not match the pictures of the file"},
        {full, 100, {{1, 100, 9, 0, 100000}}, "the XMP segment would exceed 65535 bytes"},
        {wrongIdentifier, 100, {}, "the segment is no XMP packet"},
    };
    for (const Case& c : cases) {
        Bytes xmp = c.xmp;
        std::string reason;
        EXPECT_FALSE(rewriteContainerLengths(&xmp, c.firstEnd, c.pictures, &reason));
        EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(xmp, c.xmp);
    }
    Bytes xmp = wrongIdentifier;
    std::string reason;
    EXPECT_FALSE(setXmpOrientation(&xmp, 1, &reason));
    EXPECT_EQ(xmp, wrongIdentifier);
    xmp = full;
    EXPECT_TRUE(rewriteContainerLengths(&xmp, 100, {{1, 100, 9, 0, 10000}}, &reason)) << "exactly 65535 bytes";
    EXPECT_EQ(xmp.size(), 65533u);
}

// A quarter turn of a 64 x 48 picture, nothing dropped.
const PictureTurn kQuarterTurn = pictureTurnOf(TransformKind::Rotate90, 1, 1, 64, 48, 0, 0);

// Only the properties of the top-level resource change: the same names in a description's text,
// a comment and another resource's attributes stay, and so does every other byte.
TEST(XmpEditTest, TextThatLooksLikeAPropertyIsUntouched) {
    const auto packet = [](const char* orientation, const char* width, const char* height) {
        return xmpPacket(std::string(" tiff:Orientation=\"") + orientation + "\" exif:PixelXDimension=\"" + width +
                             "\"\n exif:PixelYDimension=\"" + height + "\"",
                         "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">tiff:Orientation=\"6\" "
                         "&lt;exif:PixelXDimension&gt;64&lt;/exif:PixelXDimension&gt;</rdf:li></rdf:Alt></dc:description>"
                         "<!-- tiff:Orientation=\"6\" exif:PixelXDimension=\"64\" -->"
                         "<xmpMM:DerivedFrom rdf:parseType=\"Resource\" tiff:Orientation=\"6\" exif:PixelXDimension=\"64\"/>");
    };
    Bytes xmp = xmpPayload(packet("6", "64", "48") + std::string(3, '\0'));  // zeros behind the packet: padding
    std::string reason;
    ASSERT_TRUE(turnXmpSegment(&xmp, kQuarterTurn, &reason)) << reason;
    EXPECT_EQ(xmp, xmpPayload(packet("1", "48", "64") + std::string(3, '\0')));
}

// A packet that cannot be read, or a region that cannot be turned soundly, refuses the edit and
// leaves the packet as it was; a packet that names nothing a turn changes is not read at all.
TEST(XmpEditTest, ValuesThatCannotBeTurnedSoundlyRefuseTheEdit) {
    const std::string mwg = xmpPacket("", mwgRegions(64, 48, {{0.5, 0.5, 0.25, 0.25, true, false}}));
    const std::string microsoft = xmpPacket("", microsoftRegion(0.1, 0.2, 0.3, 0.4));
    auto changed = [](std::string packet, const std::string& from, const std::string& to) {
        return packet.replace(packet.find(from), from.size(), to);
    };
    auto with = [&](const std::string& from, const std::string& to) { return changed(mwg, from, to); };
    const std::pair<std::string, const char*> cases[] = {
        {"<x xmlns:tiff='http://ns.adobe.com/tiff/1.0/'><unclosed></x>", "the XMP packet cannot be read"},
        {"<!DOCTYPE x [<!ENTITY e 'v'>]>" + xmpPacket(""), "it has a document type declaration"},
        {with("stArea:x=\"0.500000\"", "stArea:x=\"middle\""), "a face region's area is not a centre and a size"},
        {with(" stArea:unit=\"normalized\"", ""), "a face region's unit is neither normalized nor pixel"},
        {with("stArea:w=\"0.250000\" stArea:h=\"0.250000\"", "stArea:d=\"0.25\""), "a normalised circle region"},
        {with("stDim:w=\"64\"", "stDim:w=\"wide\""), "its face regions state no size they apply to"},
        {changed(microsoft, ", 0.400000", ""), "a face rectangle is not four numbers"},
    };
    for (const auto& [packet, why] : cases) {
        Bytes xmp = xmpPayload(packet);
        std::string reason;
        EXPECT_FALSE(turnXmpSegment(&xmp, kQuarterTurn, &reason)) << packet;
        EXPECT_NE(reason.find(why), std::string::npos) << reason;
        EXPECT_EQ(xmp, xmpPayload(packet));
    }
    Bytes unrelated = xmpPayload("<not xml");
    std::string reason;
    EXPECT_TRUE(turnXmpSegment(&unrelated, kQuarterTurn, &reason)) << reason;
    EXPECT_EQ(unrelated, xmpPayload("<not xml"));
}

}  // namespace
