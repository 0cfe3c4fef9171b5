// Seed inputs for photo_record_fuzz: JPEGs with or without Exif, thumbnail, comments and other
// metadata segments. Usage: sections_seeds OUTDIR

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/exif_builder.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using testsupport::Bytes;
using testsupport::ByteOrder;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes thumbnailJpeg() {
    testsupport::JpegSpec recipe;
    recipe.width = 16;
    recipe.height = 8;
    recipe.writeJfif = false;
    return testsupport::makeJpeg(recipe);
}

Bytes photo(std::vector<testsupport::ExtraMarker> markers, bool progressive = false) {
    testsupport::JpegSpec recipe;
    recipe.width = 24;
    recipe.height = 16;
    recipe.progressive = progressive;
    recipe.markers = std::move(markers);
    return testsupport::makeJpeg(recipe);
}

void writeSeed(const std::string& folder, const std::string& name, const Bytes& jpeg) {
    testsupport::writeFile(folder + "/" + name, jpeg);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    Bytes thumbnail = thumbnailJpeg();
    Bytes intel = testsupport::buildExif(testsupport::cameraExifSpec(ByteOrder::Intel, thumbnail)).payload;
    Bytes motorola = testsupport::buildExif(testsupport::cameraExifSpec(ByteOrder::Motorola, thumbnail)).payload;
    testsupport::ExifSpec trailing = testsupport::cameraExifSpec(ByteOrder::Intel, thumbnail);
    trailing.trailer = Bytes(40, 0x20);
    Bytes withTrailer = testsupport::buildExif(trailing).payload;
    Bytes xmp = text(std::string("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 41));

    writeSeed(folder, "jfif", photo({}));
    writeSeed(folder, "exif-intel", photo({{0xE1, intel}}));
    writeSeed(folder, "exif-motorola", photo({{0xE1, motorola}, {0xFE, text("a comment")}}));
    writeSeed(folder, "exif-trailer", photo({{0xE1, withTrailer}}));
    writeSeed(folder, "everything",
              photo({{0xE1, intel}, {0xE1, xmp}, {0xE2, text("ICC_PROFILE")}, {0xFE, text("one\r\n")},
                     {0xFE, text("two")}},
                    true));
    writeSeed(folder, "every-segment",
              photo({{0xE0, text(std::string("JFXX\0\x13\x01\x01rgb", 11))}, {0xE1, intel}, {0xE1, xmp},
                     {0xE4, text("HEAPJPGM")}, {0xFE, text("one")}}));
    Bytes padded = photo({});
    padded.insert(padded.begin() + 2, 300, 0xFF);
    writeSeed(folder, "fill-bytes", padded);
    Bytes strays = photo({{0xE1, xmp}, {0xEE, text(std::string("Adobe\0\x64\0\0\0\0\x01", 12))}});
    const auto xmpAt = std::search(strays.begin(), strays.end(), xmp.begin(), xmp.end());
    strays.insert(xmpAt + long(xmp.size()), {'\r', '\n', 0xFF, 0x00});  // behind the XMP
    writeSeed(folder, "stray-bytes", strays);
    return 0;
}
