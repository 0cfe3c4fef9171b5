// A transform followed by its inverse gives back the starting coefficients, bit for bit,
// when the image is made of whole iMCUs (no partial edge blocks that stay in place).

#include <gtest/gtest.h>

#include <utility>

#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;

void expectSameCoefficients(const JpegCoefficients& a, const JpegCoefficients& b) {
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    ASSERT_EQ(a.components.size(), b.components.size());
    for (size_t c = 0; c < a.components.size(); ++c) {
        EXPECT_EQ(a.components[c].hSamp, b.components[c].hSamp);
        EXPECT_EQ(a.components[c].vSamp, b.components[c].vSamp);
        EXPECT_TRUE(a.components[c].blocks == b.components[c].blocks) << "component " << c;
    }
    EXPECT_EQ(a.quantTables, b.quantTables);
}

struct WholeImage {
    const char* name;
    ColorKind color;
    int width, height, lumaH, lumaV;
    bool progressive;
};

class RoundTrip : public ::testing::TestWithParam<WholeImage> {};

TEST_P(RoundTrip, InverseTransformRestoresCoefficients) {
    const WholeImage& image = GetParam();
    JpegSpec spec;
    spec.width = image.width;
    spec.height = image.height;
    spec.color = image.color;
    spec.lumaH = image.lumaH;
    spec.lumaV = image.lumaV;
    spec.progressive = image.progressive;
    Bytes jpeg = makeJpeg(spec);
    JpegCoefficients original = readCoefficients(jpeg);

    const std::pair<TransformKind, TransformKind> inverses[] = {
        {TransformKind::Rotate90, TransformKind::Rotate270},
        {TransformKind::Rotate270, TransformKind::Rotate90},
        {TransformKind::Rotate180, TransformKind::Rotate180},
        {TransformKind::FlipHorizontal, TransformKind::FlipHorizontal},
        {TransformKind::FlipVertical, TransformKind::FlipVertical},
        {TransformKind::Transpose, TransformKind::Transpose},
        {TransformKind::Transverse, TransformKind::Transverse},
    };
    for (const auto& [forward, back] : inverses) {
        SCOPED_TRACE("kinds " + std::to_string(static_cast<int>(forward)) + " then " +
                     std::to_string(static_cast<int>(back)));
        Bytes there = transformInMemory(jpeg, forward);
        EXPECT_FALSE(readCoefficients(there).components[0].blocks == original.components[0].blocks);
        expectSameCoefficients(readCoefficients(transformInMemory(there, back)), original);
    }
}

const WholeImage kWholeImages[] = {
    {"s420_48x32", ColorKind::YCbCr, 48, 32, 2, 2, false},
    {"s422_32x24_progressive", ColorKind::YCbCr, 32, 24, 2, 1, true},
    {"s440_24x48", ColorKind::YCbCr, 24, 48, 1, 2, false},
    {"s444_24x40", ColorKind::YCbCr, 24, 40, 1, 1, false},
    {"gray_40x16", ColorKind::Gray, 40, 16, 1, 1, false},
    {"cmyk_16x24", ColorKind::Cmyk, 16, 24, 1, 1, false},
};

INSTANTIATE_TEST_SUITE_P(Images, RoundTrip, ::testing::ValuesIn(kWholeImages),
                         [](const ::testing::TestParamInfo<WholeImage>& p) { return std::string(p.param.name); });

}  // namespace
