// What the engine asks of libjpeg before the coefficients move: the workspace it requests and
// the destination parameters it sets (size, sampling, quantization tables, colour space).

#include <gtest/gtest.h>

#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;

Bytes makeImage(int width, int height, int lumaH, int lumaV, ColorKind color = ColorKind::YCbCr) {
    JpegSpec spec;
    spec.width = width;
    spec.height = height;
    spec.lumaH = lumaH;
    spec.lumaV = lumaV;
    spec.color = color;
    return makeJpeg(spec);
}

// Rewrites one component's sampling byte and quantization table number in the frame header,
// to make files that libjpeg's compressor never writes by itself.
Bytes withFrameComponent(Bytes jpeg, int component, int sampling, int quantTable) {
    size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        int code = jpeg[pos + 1];
        size_t length = (static_cast<size_t>(jpeg[pos + 2]) << 8) | jpeg[pos + 3];
        if (code == 0xC0 || code == 0xC2) {
            size_t entry = pos + 10 + 3 * static_cast<size_t>(component);
            jpeg.at(entry + 1) = static_cast<std::uint8_t>(sampling);
            jpeg.at(entry + 2) = static_cast<std::uint8_t>(quantTable);
            return jpeg;
        }
        pos += 2 + length;
    }
    throw std::runtime_error("no frame header");
}

std::array<std::uint16_t, 64> transposed(const std::array<std::uint16_t, 64>& table) {
    std::array<std::uint16_t, 64> result{};
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j) result[i * 8 + j] = table[j * 8 + i];
    return result;
}

TEST(Workspace, OnlyTheKindsThatCannotWorkInPlaceRequestOne) {
    Bytes jpeg = makeImage(40, 24, 2, 2);
    for (int code : {0, 1, -1, 8, 42}) {
        SCOPED_TRACE("code " + std::to_string(code));
        TransformReport report = transformWithReport(jpeg, static_cast<TransformKind>(code));
        EXPECT_FALSE(report.hasWorkspace);
        EXPECT_TRUE(report.workspace.empty());
        EXPECT_TRUE(report.wroteSourceArrays);
    }
    for (int code = 2; code < 8; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        TransformReport report = transformWithReport(jpeg, static_cast<TransformKind>(code));
        EXPECT_TRUE(report.hasWorkspace);
        EXPECT_EQ(report.workspace.size(), 3u);
        EXPECT_FALSE(report.wroteSourceArrays);
    }
}

TEST(Workspace, UnknownKindLeavesTheImageAsItIs) {
    Bytes jpeg = makeImage(37, 29, 2, 2);
    JpegCoefficients out = readCoefficients(transformInMemory(jpeg, static_cast<TransformKind>(9), true));
    JpegCoefficients in = readCoefficients(jpeg);
    EXPECT_EQ(out.width, 37);
    EXPECT_EQ(out.height, 29);
    EXPECT_TRUE(out.components[0].blocks == in.components[0].blocks);
}

// 4:2:2, 40 x 24: luminance is 5 x 3 blocks sampled 2 x 1, chroma 3 x 3 blocks sampled 1 x 1.
TEST(Workspace, TransposingKindsRequestTransposedArraysInWholeIMcus) {
    TransformReport report = transformWithReport(makeImage(40, 24, 2, 1), TransformKind::Rotate90);
    ASSERT_EQ(report.workspace.size(), 3u);
    const WorkspaceRequest& luma = report.workspace[0];
    EXPECT_EQ(luma.pool, JPOOL_IMAGE);
    EXPECT_FALSE(luma.preZero);
    EXPECT_EQ(luma.blocksPerRow, 3u);  // the source's block rows
    EXPECT_EQ(luma.rows, 6u);          // the source's 5 block columns, rounded up to 2
    EXPECT_EQ(luma.maxAccess, 2u);
    const WorkspaceRequest& chroma = report.workspace[1];
    EXPECT_EQ(chroma.blocksPerRow, 3u);
    EXPECT_EQ(chroma.rows, 3u);
    EXPECT_EQ(chroma.maxAccess, 1u);
    EXPECT_EQ(report.parameters.hSamp[0], 1);
    EXPECT_EQ(report.parameters.vSamp[0], 2);
}

TEST(Workspace, FlipsAndHalfTurnRequestArraysShapedLikeTheSource) {
    for (TransformKind kind : {TransformKind::FlipVertical, TransformKind::Rotate180}) {
        TransformReport report = transformWithReport(makeImage(40, 24, 2, 1), kind);
        ASSERT_EQ(report.workspace.size(), 3u);
        EXPECT_EQ(report.workspace[0].blocksPerRow, 6u);
        EXPECT_EQ(report.workspace[0].rows, 3u);
        EXPECT_EQ(report.workspace[0].maxAccess, 1u);
        EXPECT_EQ(report.parameters.hSamp[0], 2);
    }
}

TEST(OutputSize, QuarterTurnOf420TrimsOnlyTheColumnsThatWouldMove) {
    Bytes jpeg = makeImage(100, 75, 2, 2);
    OutputParameters trimmed = transformWithReport(jpeg, TransformKind::Rotate90, true).parameters;
    EXPECT_EQ(trimmed.width, 64u);  // 75 cut to four whole 16-pixel iMCU columns
    EXPECT_EQ(trimmed.height, 100u);
    EXPECT_EQ(trimmed.hSamp[0], 2);
    EXPECT_EQ(trimmed.vSamp[0], 2);
    OutputParameters untrimmed = transformWithReport(jpeg, TransformKind::Rotate90, false).parameters;
    EXPECT_EQ(untrimmed.width, 75u);
    EXPECT_EQ(untrimmed.height, 100u);
}

TEST(OutputSize, ImageNarrowerThanOneIMcuIsNotTrimmedToNothing) {
    Bytes jpeg = makeImage(10, 20, 2, 1);
    OutputParameters flipped = transformWithReport(jpeg, TransformKind::FlipHorizontal, true).parameters;
    EXPECT_EQ(flipped.width, 10u);
    EXPECT_EQ(flipped.height, 20u);
    OutputParameters turned = transformWithReport(jpeg, TransformKind::Rotate180, true).parameters;
    EXPECT_EQ(turned.width, 10u);
    EXPECT_EQ(turned.height, 16u);  // 8-pixel iMCU rows
}

TEST(OutputSize, TransposeOnlyExchangesTheSidesEvenWhenTrimming) {
    OutputParameters out = transformWithReport(makeImage(37, 29, 2, 2), TransformKind::Transpose, true).parameters;
    EXPECT_EQ(out.width, 29u);
    EXPECT_EQ(out.height, 37u);
}

TEST(QuantTables, TransposingKindsTransposeEveryDefinedTableAndLeaveEmptySlotsEmpty) {
    Bytes jpeg = makeImage(32, 32, 2, 2);
    JpegCoefficients in = readCoefficients(jpeg);
    ASSERT_EQ(in.quantTables.size(), 2u);
    ASSERT_NE(in.quantTables[0], transposed(in.quantTables[0]));  // the test needs asymmetric tables
    for (TransformKind kind : {TransformKind::Transpose, TransformKind::Transverse, TransformKind::Rotate90,
                               TransformKind::Rotate270}) {
        TransformReport report = transformWithReport(jpeg, kind);
        const auto& slots = report.parameters.quantSlots;
        ASSERT_TRUE(slots[0] && slots[1]);
        EXPECT_EQ(*slots[0], transposed(in.quantTables[0]));
        EXPECT_EQ(*slots[1], transposed(in.quantTables[1]));
        EXPECT_FALSE(slots[2]);
        EXPECT_FALSE(slots[3]);
        EXPECT_EQ(readCoefficients(report.output).quantTables[0], transposed(in.quantTables[0]));
    }
    TransformReport turned = transformWithReport(jpeg, TransformKind::Rotate180);
    EXPECT_EQ(*turned.parameters.quantSlots[0], in.quantTables[0]);
}

TEST(GrayOutput, ColorSourceKeepsOnlyLuminanceWithItsOwnQuantTable) {
    // Luminance quantized with table 1, so that keeping the number is visible.
    Bytes jpeg = withFrameComponent(makeImage(32, 16, 2, 2), 0, 0x22, 1);
    JpegCoefficients in = readCoefficients(jpeg);
    ASSERT_EQ(in.components[0].quantTable, 1);
    TransformReport report = transformWithReport(jpeg, TransformKind::Rotate270, false, true);
    EXPECT_EQ(report.componentCount, 1);
    EXPECT_EQ(report.workspace.size(), 1u);
    EXPECT_EQ(report.parameters.colorSpace, JCS_GRAYSCALE);
    EXPECT_EQ(report.parameters.componentCount, 1);
    EXPECT_EQ(report.parameters.quantTable[0], 1);
    JpegCoefficients out = readCoefficients(report.output);
    ASSERT_EQ(out.components.size(), 1u);
    EXPECT_EQ(out.components[0].quantTable, 1);
}

TEST(GrayOutput, CmykSourceRaisesLibjpegsConversionError) {
    try {
        transformWithReport(makeImage(16, 16, 1, 1, ColorKind::Cmyk), TransformKind::Rotate90, false, true);
        FAIL() << "no error raised";
    } catch (const JpegError& error) {
        EXPECT_EQ(error.code(), JERR_CONVERSION_NOTIMPL);
        EXPECT_STREQ(error.what(), "Unsupported color conversion request");
    }
}

// A colour file whose chroma is sampled more finely than its luminance: luminance alone covers
// fewer blocks than a gray image of that size, so a gray output would read past its block rows.
TEST(GrayOutput, LuminanceCoarserThanChromaIsRefusedNotOverrun) {
    Bytes jpeg = withFrameComponent(withFrameComponent(makeImage(48, 32, 2, 2), 0, 0x11, 0), 1, 0x22, 1);
    for (TransformKind kind : {TransformKind::None, TransformKind::FlipHorizontal, TransformKind::Rotate90}) {
        try {
            transformWithReport(jpeg, kind, false, true);
            ADD_FAILURE() << "no error raised for kind " << static_cast<int>(kind);
        } catch (const JpegError& error) {
            EXPECT_EQ(error.code(), JERR_CONVERSION_NOTIMPL);
        }
        EXPECT_NO_THROW(transformInMemory(jpeg, kind));  // in colour the same file is fine
    }
}

}  // namespace
