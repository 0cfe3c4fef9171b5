#include "workflow/dc_picture.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <algorithm>
#include <string>

#include "tests/support/jpeg_maker.h"
#include "tests/support/libjpeg_trap.h"

namespace {

using namespace testsupport;

// libjpeg's own picture at an eighth: one pixel a block where it gives each component one.
std::vector<std::uint8_t> libjpegEighth(const Bytes& jpeg) {
    jpeg_decompress_struct cinfo{};
    LibjpegTrap trap;
    cinfo.err = installLibjpegTrap(trap);
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&cinfo);
        ADD_FAILURE() << trap.message;
        return {};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&cinfo);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rgb.data() + static_cast<std::size_t>(cinfo.output_scanline) * cinfo.output_width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return rgb;
}

// The Y (or grey) samples of the picture at an eighth, each block's DC as libjpeg's coefficients
// read it: (DC x quantizer + 4) / 8 + 128.
std::vector<int> lumaOfCoefficients(const Bytes& jpeg) {
    const JpegCoefficients c = readCoefficients(jpeg);
    const ComponentCoefficients& y = c.components[0];
    const int quant = c.quantTables[static_cast<std::size_t>(y.quantTable)][0];
    std::vector<int> luma;
    for (int by = 0; by < (c.height + 7) / 8; ++by)
        for (int bx = 0; bx < (c.width + 7) / 8; ++bx)
            luma.push_back(std::clamp(((y.at(bx, by)[0] * quant + 4) >> 3) + 128, 0, 255));
    return luma;
}

// The Y of RGB as libjpeg's own conversion would give it back, to within rounding.
std::vector<int> lumaOfRgb(const std::vector<std::uint8_t>& rgb) {
    std::vector<int> luma;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        luma.push_back(static_cast<int>(0.299 * rgb[i] + 0.587 * rgb[i + 1] + 0.114 * rgb[i + 2] + 0.5));
    return luma;
}

struct Scanned {
    EighthScan result;
    std::vector<std::uint8_t> rgb;
    int width = 0;
};

Scanned scanned(const Bytes& jpeg) {
    const Result<PhotoRecord> record = readPhotoRecord(jpeg.data(), jpeg.size(), "");
    Scanned out;
    out.result = scanEighth(jpeg, record.value(), [&](const std::uint8_t* rgb, int width) {
        out.width = width;
        out.rgb.insert(out.rgb.end(), rgb, rgb + 3 * width);
    });
    return out;
}

// The scan finds every block's DC as libjpeg does, whatever the sampling, size, tables and
// restarts; where libjpeg also gives one pixel a block, the pictures are the same.
TEST(DcPicture, FindsTheDcOfEveryBlockAsLibjpegDoes) {
    const struct {
        JpegSpec recipe;
        bool sameAsLibjpeg;  // libjpeg scales 4:2:0 chroma up by its own smaller transform instead
    } cases[] = {
        {{64, 48}, false},                                             // 4:2:0
        {{37, 29, ColorKind::YCbCr, 2, 1}, true},                      // 4:2:2, partial blocks and MCUs
        {{40, 33, ColorKind::YCbCr, 1, 1}, true},                      // 4:4:4
        {{41, 17, ColorKind::Gray, 1, 1}, true},
        {{50, 50, ColorKind::YCbCr, 2, 2, false, 3}, false},           // a restart every 3 MCUs
        {{64, 40, ColorKind::YCbCr, 2, 2, false, 0, false, true}, false},  // optimized tables
        {{77, 9, ColorKind::Gray, 2, 2, false, 1}, true},              // one component, sampling aside; restarts
    };
    for (const auto& c : cases) {
        const Bytes jpeg = makeJpeg(c.recipe);
        const Scanned scan = scanned(jpeg);
        const std::string shape = std::to_string(c.recipe.width) + "x" + std::to_string(c.recipe.height);
        EXPECT_EQ(scan.result, EighthScan::Done) << shape;
        EXPECT_EQ(scan.width, (c.recipe.width + 7) / 8) << shape;
        const std::vector<int> expected = lumaOfCoefficients(jpeg), found = lumaOfRgb(scan.rgb);
        ASSERT_EQ(found.size(), expected.size()) << shape;
        for (std::size_t i = 0; i < found.size(); ++i)
            EXPECT_NEAR(found[i], expected[i], 2) << shape << " pixel " << i;
        if (c.sameAsLibjpeg) {
            EXPECT_EQ(scan.rgb, libjpegEighth(jpeg)) << shape;
        }
    }
}

// Other kinds are left to libjpeg; the rows of data cut short end in grey; a code no table holds is damage.
TEST(DcPicture, LeavesOtherKindsAloneEndsMissingDataInGreyAndFindsBadCodes) {
    for (const JpegSpec& other : {JpegSpec{32, 32, ColorKind::YCbCr, 2, 2, true},
                                  JpegSpec{32, 32, ColorKind::YCbCr, 2, 2, false, 0, true},
                                  JpegSpec{32, 32, ColorKind::Cmyk, 1, 1},
                                  JpegSpec{32, 32, ColorKind::YCbCr, 2, 2, false, 0, false, false, true}})
        EXPECT_EQ(scanned(makeJpeg(other)).result, EighthScan::NotThisKind);

    const Bytes whole = makeJpeg({64, 64});
    const std::size_t data = readPhotoRecord(whole.data(), whole.size(), "").value().pictureDataAt;
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(data + (whole.size() - data) / 2));
    const Scanned half = scanned(cut);
    EXPECT_EQ(half.result, EighthScan::Done);
    ASSERT_LT(half.rgb.size(), 8u * 8 * 3) << "the rows past the data are not handed on";
    ASSERT_GE(half.rgb.size(), 2u * 8 * 3);
    const Scanned full = scanned(whole);
    EXPECT_EQ(Bytes(half.rgb.begin(), half.rgb.begin() + 24), Bytes(full.rgb.begin(), full.rgb.begin() + 24))
        << "the first row as it was";
    EXPECT_EQ(Bytes(half.rgb.end() - 24, half.rgb.end()), Bytes(24, 128)) << "the last row handed on ends in grey";

    // A Huffman table of three one-bit codes, where there is room for two.
    Bytes crowded = whole;
    const std::size_t dht = markerPositions(whole, 0xC4).at(0);
    crowded[dht + 5] = 3;
    EXPECT_EQ(scanned(crowded).result, EighthScan::NotThisKind);

    Bytes ones = whole;
    std::fill(ones.begin() + static_cast<std::ptrdiff_t>(data), ones.end() - 2, 0xFF);
    for (std::size_t i = data + 1; i < ones.size() - 2; i += 2) ones[i] = 0;  // 0xFF 0x00: all ones
    EXPECT_EQ(scanned(ones).result, EighthScan::Damaged);
}

}  // namespace
