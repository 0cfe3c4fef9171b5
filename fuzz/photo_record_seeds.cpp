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
    const std::string thumbnails = std::string("http://ns.adobe.com/xap/1.0/") + '\0' +
        "<x:xmpmeta xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmlns:G='http://ns.adobe.com/xap/1.0/g/img/' "
        "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><xmp:Thumbnails><rdf:Alt><rdf:li G:width='16' "
        "G:height='8' G:image='/9j/2wAE&#xA;AQID/9k='/></rdf:Alt></xmp:Thumbnails></x:xmpmeta>";
    Bytes photoshop = text(std::string("Photoshop 3.0\0" "8BIM\x04\x0c\0\0\0\0\0\x26", 26));
    photoshop.insert(photoshop.end(), {0, 0, 0, 1, 0, 0, 0, 16, 0, 0, 0, 8, 0, 0, 0, 48, 0, 0, 1, 128, 0, 0, 0, 10, 0, 24, 0, 1});
    photoshop.insert(photoshop.end(), thumbnail.begin(), thumbnail.begin() + 10);
    testsupport::ExifSpec strip = testsupport::cameraExifSpec(ByteOrder::Motorola, {});
    strip.ifd1 = testsupport::ExifEntries{
        testsupport::shortEntry(0x0100, {2}), testsupport::shortEntry(0x0101, {2}),
        testsupport::shortEntry(0x0102, {8, 8, 8}), testsupport::shortEntry(0x0103, {1}),
        testsupport::shortEntry(0x0106, {6}), testsupport::longEntry(0x0111, {0}), testsupport::longEntry(0x0117, {8}),
        testsupport::shortEntry(0x0212, {2, 1})};
    strip.trailer = Bytes(8, 0x80);
    (*strip.ifd1)[5] = testsupport::longEntry(0x0111, {testsupport::buildExif(strip).tiffLength() - 8});
    writeSeed(folder, "exif-strips", photo({{0xE1, testsupport::buildExif(strip).payload}}));
    writeSeed(folder, "other-thumbnails",
              photo({{0xE0, text(std::string("JFIF\0\x01\x02\x01\0\x48\0\x60\x02\x01" "abcdef", 20))},
                     {0xE1, text(thumbnails)}, {0xED, photoshop}}));
    return 0;
}
