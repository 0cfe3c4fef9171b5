#include "exif/tag_listing.h"

#include <gtest/gtest.h>

#include <string>

#include "exif/byte_order.h"
#include "exif/exif_test_helpers.h"
#include "exif/tag_names.h"

namespace {

using namespace exiftest;
using namespace testsupport;

class TagListingTest : public BothOrders {
protected:
    void TearDown() override { listTags = 0; }

    std::string listing(const ExifBlock& block, int flag) {
        listTags = flag;
        ::testing::internal::CaptureStdout();
        readBlock(block);
        listTags = 0;
        return ::testing::internal::GetCapturedStdout();
    }
};
EXIF_BOTH_ORDERS(TagListingTest);

ExifBlock listedBlock(ByteOrder order) {
    ExifSpec s = cameraExifSpec(order, Bytes(50, 0xEE));
    s.ifd0.push_back(shortEntry(0x9999, {7}));
    s.ifd0.push_back(bytesEntry(0x9C9B, kExifByte, {'H', 0, 'i', 0, 0, 0}));
    s.ifd0.push_back(bytesEntry(0x010E, kExifAscii, {'a', 1, 2, 'b', 0}));
    s.gps->push_back(asciiEntry(0x0040, "x"));
    return buildExif(s);
}

TEST_P(TagListingTest, SilentUnlessSwitchedOn) {
    EXPECT_EQ(listing(listedBlock(GetParam()), 0), "");
}

TEST_P(TagListingTest, ListsEveryEntryWithItsNameAndValue) {
    std::string out = listing(listedBlock(GetParam()), 1);
    const std::string expected[] = {
        GetParam() == ByteOrder::Intel ? "Exif section in Intel order\n" : "Exif section in Motorola order\n",
        "(dir has 12 entries)\n",
        "    Make = \"Velmora\"\n",
        "    Orientation = 1\n",
        "    XResolution = 72/1\n",
        "    Unknown Tag 9999 Value = 7\n",
        "    Unknown Tag 9c9b Value = Hi\n",
        "    ImageDescription = \"a?b\"\n",
        "    Exif Dir:\n",
        "        ExposureTime = 1/250\n",
        "        Interop Dir:\n",
        "            InteropIndex = \"R98\"\n",
        "    GPS info dir:\n",
        std::string("        GPS") + kGpsTagNames[2] + " =52/1, 22/1, 512/100\n",
        std::string("        GPS") + kGpsTagNames[1] + " =\"N\"\n",
        "        Illegal GPS tag 0040=\"x\"\n",
        "    Continued directory\n",
        "Thumbnail size: 50 bytes\n",
    };
    for (const std::string& line : expected) EXPECT_NE(out.find(line), std::string::npos) << line << "\n---\n" << out;
}

TEST(TagListing, ValueListStopsAfterSixteenComponents) {
    motorolaOrder = 1;
    unsigned char shorts[40] = {};
    for (int i = 0; i < 20; ++i) shorts[2 * i + 1] = static_cast<unsigned char>(i);
    ::testing::internal::CaptureStdout();
    printValueList(shorts, kFormatShort, 40);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, ...");

    ::testing::internal::CaptureStdout();
    printValueList(shorts, kFormatShort, 4);
    printValueList(shorts, kFormatRational, 0);
    printValueList(shorts, 13, 4);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "0, 1Unknown format 13:");
}

TEST(TagNames, TablesHoldTheVocabulary) {
    EXPECT_EQ(sizeof kTagNames / sizeof kTagNames[0], 98u);
    EXPECT_STREQ(kTagNames[0].name, "InteropIndex");
    EXPECT_STREQ(kTagNames[97].name, "SubjectDistanceRange");
    EXPECT_STREQ(tagName(0x8825), "GPS Dir offset");
    EXPECT_STREQ(tagName(0x0202), "ThumbnailLength");
    EXPECT_EQ(tagName(0x9999), nullptr);
    EXPECT_STREQ(kOrientationNames[8], "rotate 270");
    EXPECT_STREQ(kOrientationNames[6], "rotate 90");
    EXPECT_STREQ(processName(0xC2), "Progressive");
    EXPECT_STREQ(processName(0xCF), "Differential lossless, arithmetic coding");
    EXPECT_EQ(processName(0xC4), nullptr);
    EXPECT_STREQ(kGpsTagNames[30], "Differential    ");
    for (const char* name : kGpsTagNames) EXPECT_EQ(std::string(name).size(), 16u) << name;
}

}  // namespace
