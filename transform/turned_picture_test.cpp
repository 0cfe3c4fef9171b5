// The transformed file, decoded, shows the decoded source turned or mirrored. The inverse DCT
// rounds each block on its own, so a sample may differ by one.

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;

struct Pixel {
    int x, y;
};

// The source pixel shown at output pixel (x, y) of a w x h output.
Pixel sourceOf(TransformKind kind, int x, int y, int w, int h) {
    switch (kind) {
    case TransformKind::FlipHorizontal: return {w - 1 - x, y};
    case TransformKind::FlipVertical: return {x, h - 1 - y};
    case TransformKind::Transpose: return {y, x};
    case TransformKind::Transverse: return {h - 1 - y, w - 1 - x};
    case TransformKind::Rotate90: return {y, w - 1 - x};
    case TransformKind::Rotate180: return {w - 1 - x, h - 1 - y};
    case TransformKind::Rotate270: return {h - 1 - y, x};
    default: return {x, y};
    }
}

struct DecodeTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jumpBack(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<DecodeTrap*>(cinfo->err)->jump, 1); }

void decodeInto(jpeg_decompress_struct* cinfo, const Bytes& jpeg, Pixels* pixels) {
    jpeg_mem_src(cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->jpeg_color_space == JCS_YCbCr) cinfo->out_color_space = JCS_YCbCr;
    cinfo->do_fancy_upsampling = FALSE;
    jpeg_start_decompress(cinfo);
    pixels->width = static_cast<int>(cinfo->output_width);
    pixels->height = static_cast<int>(cinfo->output_height);
    pixels->components = cinfo->output_components;
    size_t stride = static_cast<size_t>(pixels->width) * static_cast<size_t>(pixels->components);
    pixels->samples.resize(stride * static_cast<size_t>(pixels->height));
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = pixels->samples.data() + stride * cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
}

// The samples the inverse DCT gives, before colour conversion and smoothing, which would blur the
// one-step rounding differences into larger ones and mix neighbouring blocks in an order that
// depends on the orientation: YCbCr out, chroma replicated.
Pixels decodeSamples(const Bytes& jpeg) {
    jpeg_decompress_struct cinfo{};
    DecodeTrap trap{};
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = jumpBack;
    Pixels pixels;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&cinfo);
        throw std::runtime_error("the transformed file does not decode");
    }
    jpeg_create_decompress(&cinfo);
    decodeInto(&cinfo, jpeg, &pixels);
    jpeg_destroy_decompress(&cinfo);
    return pixels;
}

bool transposes(TransformKind kind) {
    return kind == TransformKind::Transpose || kind == TransformKind::Transverse || kind == TransformKind::Rotate90 ||
           kind == TransformKind::Rotate270;
}

// The largest difference between an output sample and the source sample the kind puts there.
int largestDifference(const Pixels& source, const Pixels& output, TransformKind kind) {
    int largest = 0;
    for (int y = 0; y < output.height; ++y)
        for (int x = 0; x < output.width; ++x) {
            Pixel from = sourceOf(kind, x, y, output.width, output.height);
            for (int c = 0; c < output.components; ++c)
                largest = std::max(largest, std::abs(output.at(x, y, c) - source.at(from.x, from.y, c)));
        }
    return largest;
}

TEST(TurnedPicture, Rotate270Of420PhotoIsTheSourceTurnedCounterClockwise) {
    JpegSpec spec;
    spec.width = 64;
    spec.height = 48;
    Bytes jpeg = makeJpeg(spec);
    Pixels source = decodeSamples(jpeg);
    Pixels turned = decodeSamples(transformInMemory(jpeg, TransformKind::Rotate270));
    ASSERT_EQ(turned.width, 48);
    ASSERT_EQ(turned.height, 64);
    // The source's top-right corner is the output's top-left one.
    EXPECT_LE(largestDifference(source, turned, TransformKind::Rotate270), 1);
}

class EveryKindPicture : public ::testing::TestWithParam<ColorKind> {};

TEST_P(EveryKindPicture, DecodedOutputIsTheDecodedSourceMoved) {
    JpegSpec spec;
    spec.width = 48;
    spec.height = 32;
    spec.color = GetParam();
    Bytes jpeg = makeJpeg(spec);
    Pixels source = decodeSamples(jpeg);
    for (int code = 0; code < 8; ++code) {
        auto kind = static_cast<TransformKind>(code);
        SCOPED_TRACE("kind " + std::to_string(code));
        Pixels output = decodeSamples(transformInMemory(jpeg, kind));
        ASSERT_EQ(output.width, transposes(kind) ? source.height : source.width);
        ASSERT_EQ(output.height, transposes(kind) ? source.width : source.height);
        EXPECT_LE(largestDifference(source, output, kind), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Colors, EveryKindPicture, ::testing::Values(ColorKind::Gray, ColorKind::YCbCr),
                         [](const ::testing::TestParamInfo<ColorKind>& p) {
                             return std::string(p.param == ColorKind::Gray ? "gray" : "ycbcr420");
                         });

}  // namespace
