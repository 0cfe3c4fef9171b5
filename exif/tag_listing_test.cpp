#include "exif/tag_listing.h"

#include "exif/exif_test_helpers.h"

namespace {

using namespace exiftest;

EXIF_BOTH_ORDERS(TagListingTest);

TEST_P(TagListingTest, ListsEveryEntryByName) {
    const ExifBlock block = buildExif(cameraExifSpec(GetParam(), Bytes(50, 0xEE)));
    std::string out[2];
    readSegment(block.segment(), &out[1]);
    const std::string order = GetParam() == ByteOrder::Intel ? "Intel" : "Motorola";
    for (const std::string& part :
         {"Exif section in " + order + " order\n(dir has 9 entries)\n    Make = \"Velmora\"\n",
          std::string("    Exif Dir:\n(dir has 12 entries)\n        ExposureTime = 1/250\n"),
          std::string("        Interop Dir:\n(dir has 1 entries)\n            InteropIndex = \"R98\"\n"),
          std::string("    GPS info dir:\n        GPSVersionID        =02, 02, 00, 00\n        GPSLatitudeRef      =\"N\"\n"),
          std::string("    Continued directory\n(dir has 3 entries)\n"), std::string("Thumbnail size: 50 bytes\n")})
        EXPECT_NE(out[1].find(part), std::string::npos) << part << "---\n" << out[1];
}

}  // namespace
