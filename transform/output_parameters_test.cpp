// What the engine asks of libjpeg around the coefficient move: the workspace it needs, and the
// destination's quantization tables and colour space.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include <jerror.h>
#include <jpeglib.h>

#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;
using K = TransformKind;
using Table = std::array<std::uint16_t, 64>;
constexpr auto YCC = ColorKind::YCbCr;

// Rewrites one component's sampling byte and quantization table number in the frame header,
// to make files that libjpeg's compressor never writes by itself.
Bytes withFrameComponent(const Bytes& jpeg, int component, int sampling, int quantTable) {
    size_t frame = markerPositions(jpeg, 0xC0).at(0) + 11 + 3 * size_t(component);
    return patched(jpeg, frame, {std::uint8_t(sampling), std::uint8_t(quantTable)});
}

Table transposed(const Table& table) {
    Table result{};
    for (int k = 0; k < 64; ++k) result[k] = table[k % 8 * 8 + k / 8];
    return result;
}

// 4:2:2, 37 x 29: luminance 5 x 4 blocks, kept rounded up to whole iMCUs (6 x 4), chroma 3 x 4
// each: 48 blocks. A workspace holds as many again. The quantizer of coefficient (u, v) follows
// it to (v, u).
TEST(KindParameters, WorkspaceAndQuantTablesFollowTheKindAndUnknownCodesActAsNone) {
    const Bytes jpeg = makeJpeg({37, 29, YCC, 2, 1}), untouched = transformInMemory(jpeg, K::None);
    const std::vector<Table> tables = readCoefficients(jpeg).quantTables;
    const std::vector<Table> transposedTables = {transposed(tables.at(0)), transposed(tables.at(1))};
    ASSERT_NE(tables, transposedTables);
    const struct {
        int code;
        std::size_t blocks;
        bool transposes;
    } cases[] = {{0, 48, false}, {1, 48, false}, {-1, 48, false}, {8, 48, false}, {42, 48, false}, {2, 96, false},
                 {6, 96, false}, {3, 96, true},  {4, 96, true},   {5, 96, true},  {7, 96, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.code));
        CoefficientMemory memory;
        const Bytes output = transformInMemory(jpeg, K(c.code), true, false, &memory);
        EXPECT_EQ(memory.neededBytes, c.blocks * sizeof(JBLOCK));
        EXPECT_EQ(readCoefficients(output).quantTables, c.transposes ? transposedTables : tables);
        EXPECT_TRUE((c.code >= 0 && c.code < 8) || output == untouched);
    }
}

// Gray output keeps luminance alone with its own quantization table (table 1 here, to be visible).
// CMYK has no luminance, and a luminance coarser than chroma covers fewer blocks than a gray image
// of that size, so that writing it as one would read past its block rows: both are refused.
TEST(GrayOutput, KeepsLuminanceWithItsTableOrIsRefusedWhereLuminanceCannotStandAlone) {
    Bytes jpeg = withFrameComponent(makeJpeg({32, 16, YCC, 2, 2}), 0, 0x22, 1);
    CoefficientMemory memory;
    JpegCoefficients out = readCoefficients(transformInMemory(jpeg, K::Rotate270, false, true, &memory));
    EXPECT_EQ(memory.neededBytes, 20 * sizeof(JBLOCK));  // 12 source blocks, the workspace luminance's 8 alone
    ASSERT_EQ(out.components.size(), 1u);
    EXPECT_EQ(out.components[0].quantTable, 1);
    EXPECT_EQ(out.quantTables, std::vector<Table>{transposed(readCoefficients(jpeg).quantTables.at(1))});

    Bytes cmyk = makeJpeg({16, 16, ColorKind::Cmyk, 1, 1});
    Bytes coarseLuma = withFrameComponent(makeJpeg({48, 32, YCC, 2, 2}), 0, 0x11, 0);
    coarseLuma = withFrameComponent(coarseLuma, 1, 0x22, 1);
    auto errorCode = [](const Bytes& file, K kind, bool gray) {
        try {
            transformInMemory(file, kind, false, gray);
        } catch (const JpegError& error) {
            return error.code();
        }
        return 0;
    };
    for (const Bytes* refused : {&cmyk, &coarseLuma})
        for (K kind : {K::None, K::FlipHorizontal, K::Rotate90}) {
            SCOPED_TRACE("kind " + std::to_string(int(kind)));
            EXPECT_EQ(errorCode(*refused, kind, true), JERR_CONVERSION_NOTIMPL);
            EXPECT_EQ(errorCode(*refused, kind, false), 0);  // in colour the same file is fine
        }
}

}  // namespace
