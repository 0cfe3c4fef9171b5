// Single blocks and partial edge iMCUs, checked at named positions.

#include <gtest/gtest.h>

#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;
using Block = std::array<std::int16_t, 64>;

Bytes makeImage(int width, int height, ColorKind color, int lumaH = 1, int lumaV = 1) {
    JpegSpec spec;
    spec.width = width;
    spec.height = height;
    spec.color = color;
    spec.lumaH = lumaH;
    spec.lumaV = lumaV;
    return makeJpeg(spec);
}

int at(const Block& block, int u, int v) { return block[u * 8 + v]; }

// An 8 x 8 gray image is one block, inside the whole-iMCU area.
struct SingleBlock : ::testing::Test {
    Bytes jpeg = makeImage(8, 8, ColorKind::Gray);
    Block source = readCoefficients(jpeg).components[0].at(0, 0);
    Block transformed(TransformKind kind) {
        return readCoefficients(transformInMemory(jpeg, kind)).components[0].at(0, 0);
    }
    void SetUp() override {
        ASSERT_NE(at(source, 0, 1), 0);
        ASSERT_NE(at(source, 1, 0), 0);
        ASSERT_NE(at(source, 1, 1), 0);
    }
};

TEST_F(SingleBlock, TransposeExchangesFrequenciesWithoutSignChange) {
    Block d = transformed(TransformKind::Transpose);
    for (int u = 0; u < 8; ++u)
        for (int v = 0; v < 8; ++v) EXPECT_EQ(at(d, u, v), at(source, v, u)) << u << "," << v;
}

TEST_F(SingleBlock, Rotate90NegatesOddColumnsOfTheTransposed) {
    Block d = transformed(TransformKind::Rotate90);
    EXPECT_EQ(at(d, 0, 0), at(source, 0, 0));
    EXPECT_EQ(at(d, 0, 1), -at(source, 1, 0));
    EXPECT_EQ(at(d, 1, 0), at(source, 0, 1));
    EXPECT_EQ(at(d, 1, 1), -at(source, 1, 1));
}

TEST_F(SingleBlock, Rotate270NegatesOddRowsOfTheTransposed) {
    Block d = transformed(TransformKind::Rotate270);
    EXPECT_EQ(at(d, 0, 0), at(source, 0, 0));
    EXPECT_EQ(at(d, 0, 1), at(source, 1, 0));
    EXPECT_EQ(at(d, 1, 0), -at(source, 0, 1));
    EXPECT_EQ(at(d, 1, 1), -at(source, 1, 1));
}

TEST_F(SingleBlock, TransverseNegatesWhereRowPlusColumnIsOdd) {
    Block d = transformed(TransformKind::Transverse);
    for (int u = 0; u < 8; ++u)
        for (int v = 0; v < 8; ++v)
            EXPECT_EQ(at(d, u, v), (u + v) % 2 ? -at(source, v, u) : at(source, v, u)) << u << "," << v;
}

// 4:2:0, 100 x 75: luminance 13 x 10 blocks, of which 12 x 8 lie in whole 16 x 16 iMCUs.
TEST(PartialEdge, HalfTurnOf420MirrorsEdgeBlocksOnlyAlongTheEdge) {
    Bytes jpeg = makeImage(100, 75, ColorKind::YCbCr, 2, 2);
    ComponentCoefficients in = readCoefficients(jpeg).components[0];
    ComponentCoefficients out = readCoefficients(transformInMemory(jpeg, TransformKind::Rotate180)).components[0];
    ASSERT_EQ(out.widthInBlocks, 13);
    ASSERT_EQ(out.heightInBlocks, 10);
    EXPECT_EQ(out.at(12, 8), in.at(12, 8));  // the corner stays as it is
    EXPECT_EQ(out.at(12, 9), in.at(12, 9));
    for (int u = 0; u < 8; ++u)
        for (int v = 0; v < 8; ++v) {
            int sign = u % 2 ? -1 : 1;
            EXPECT_EQ(at(out.at(12, 0), u, v), sign * at(in.at(12, 7), u, v));  // column 12: vertically only
            sign = v % 2 ? -1 : 1;
            EXPECT_EQ(at(out.at(0, 9), u, v), sign * at(in.at(11, 9), u, v));  // row 9: horizontally only
        }
}

// Gray, 40 pixels wide: five whole block columns; the middle one stays, mirrored once.
TEST(PartialEdge, HorizontalFlipMirrorsTheMiddleOfAnOddCountInPlace) {
    Bytes jpeg = makeImage(40, 8, ColorKind::Gray);
    ComponentCoefficients in = readCoefficients(jpeg).components[0];
    ComponentCoefficients out =
        readCoefficients(transformInMemory(jpeg, TransformKind::FlipHorizontal)).components[0];
    for (int u = 0; u < 8; ++u)
        for (int v = 0; v < 8; ++v) EXPECT_EQ(at(out.at(2, 0), u, v), (v % 2 ? -1 : 1) * at(in.at(2, 0), u, v));
}

TEST(PartialEdge, HorizontalFlipOfImageNarrowerThanOneIMcuChangesNothing) {
    Bytes jpeg = makeImage(12, 40, ColorKind::YCbCr, 2, 2);
    JpegCoefficients in = readCoefficients(jpeg);
    JpegCoefficients out = readCoefficients(transformInMemory(jpeg, TransformKind::FlipHorizontal));
    for (size_t c = 0; c < in.components.size(); ++c)
        EXPECT_TRUE(out.components[c].blocks == in.components[c].blocks) << "component " << c;
}

}  // namespace
