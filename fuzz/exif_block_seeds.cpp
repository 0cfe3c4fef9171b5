// Seed inputs for exif_block_fuzz: Exif segments (length bytes included) made by the tests'
// Exif builder, in both byte orders. Usage: exif_block_seeds OUTDIR

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/exif_builder.h"
#include "tests/support/files.h"

namespace {

using namespace testsupport;

std::vector<ExifBlock> blocksIn(ByteOrder order) {
    std::vector<ExifBlock> blocks;
    auto recipe = [order] {
        ExifSpec s;
        s.order = order;
        return s;
    };
    blocks.push_back(buildExif(cameraExifSpec(order, Bytes{0xFF, 0xD8, 0xFF, 0xD9})));

    ExifSpec s = recipe();
    s.ifd0 = {shortEntry(0x0112, {6}), asciiEntry(0x0132, "2008:05:17 14:30:00")};
    blocks.push_back(buildExif(s));

    s = recipe();
    s.ifd0 = {bytesEntry(0x9286, kExifUndefined, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'e', 'l', 'l', 'o', ' ', ' '})};
    s.exif = ExifEntries{shortEntry(0xA210, {2}), rationalEntry(0xA20E, {3000, 1}), longEntry(0xA002, {3000}),
                         longEntry(0xA003, {2000}), rationalEntry(0x920A, {75, 10}), srationalEntry(0x9201, {6, 1}),
                         rationalEntry(0x9202, {4, 1}), shortEntry(0x8827, {2}), doubleEntry(0xA404, 1.5)};
    blocks.push_back(buildExif(s));

    s = recipe();
    s.gps = ExifEntries{asciiEntry(1, "S"), rationalEntry(2, {52, 1, 22, 1, 512345678, 100000000}), asciiEntry(3, "W"),
                        rationalEntry(4, {13, 1, 24, 1, 3000, 1000}), bytesEntry(5, kExifByte, {1}),
                        rationalEntry(6, {1234, 10})};
    blocks.push_back(buildExif(s));

    s = recipe();
    s.ifd0 = {asciiEntry(0x0132, "2001:01:01 00:00:00")};
    for (int i = 0; i < 6; ++i) s.extra.push_back({asciiEntry(0x9004, "2002:02:02 00:00:00")});
    ExifBlock chain = buildExif(s);
    chain.put32(chain.linkAt(chain.ifd0), chain.extra[0]);
    for (int i = 0; i < 5; ++i) chain.put32(chain.linkAt(chain.extra[i]), chain.extra[i + 1]);
    blocks.push_back(chain);

    // Thumbnails with directories or values behind them, and lengths stored as SHORT.
    const Bytes thumbnail{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x04, 0x11, 0x22, 0xFF, 0xD9};
    for (std::uint16_t behind : {0x8825, 0x8769, 0xA005}) {
        s = cameraExifSpec(order, thumbnail);
        s.behindThumbnail = {behind};
        s.thumbnailLengthFormat = behind == 0x8769 ? kExifShort : kExifLong;
        blocks.push_back(buildExif(s));
    }
    s = cameraExifSpec(order, thumbnail);
    s.thumbnailLengthFormat = kExifShort;
    s.ifd1->push_back(shortEntry(0x0112, {6}));
    s.exif->push_back(bytesEntry(0x927C, kExifUndefined, Bytes(24, 'M')));
    s.exif->back().behindThumbnail = true;
    blocks.push_back(buildExif(s));

    s = recipe();
    s.ifd0 = {rawEntry(0x8769, kExifLong, 1, 8), rawEntry(0x8825, kExifLong, 1, 8), shortEntry(0x0112, {3})};
    s.ifd1 = ExifEntries{longEntry(0x0201, {5000}), longEntry(0x0202, {4000})};
    s.trailer = Bytes(64, 0x20);
    blocks.push_back(buildExif(s));
    return blocks;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: exif_block_seeds OUTDIR\n");
        return 2;
    }
    int n = 0;
    for (ByteOrder order : {ByteOrder::Intel, ByteOrder::Motorola})
        for (const ExifBlock& block : blocksIn(order))
            writeFile(std::string(argv[1]) + "/exif-seed-" + std::to_string(n++), block.segment());
    return 0;
}
