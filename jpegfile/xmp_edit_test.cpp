#include "jpegfile/xmp_edit.h"

#include <gtest/gtest.h>

#include "tests/support/multi_picture.h"

namespace {

using namespace testsupport;

Bytes xmpOf(const std::string& packet) {
    const std::string whole = std::string("http://ns.adobe.com/xap/1.0/", 29) + packet;
    return Bytes(whole.begin(), whole.end());
}

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
        {xmpOf("<d xmlns:t='http://ns.adobe.com/tiff/1.0/' t:Orientation = '3' x:Orientation='3'/>"),
         xmpOf("<d xmlns:t='http://ns.adobe.com/tiff/1.0/' t:Orientation = '1' x:Orientation='3'/>")},
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
    const std::string head = "<c xmlns:C='http://ns.google.com/photos/1.0/container/' "
                             "xmlns:I='http://ns.google.com/photos/1.0/container/item/'><C:Directory>"
                             "<C:Item I:Semantic='Primary'/><C:Item I:Length='9'/></C:Directory>";
    const Bytes full = xmpOf(head + std::string(65529 - 29 - head.size() - 4, ' ') + "</c>");
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

}  // namespace
