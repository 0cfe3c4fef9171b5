#include "workflow/huffman_tables.h"

#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using K = TransformKind;
using T = HuffmanTables;

std::vector<Bytes> huffmanTables(const Bytes& jpeg) {
    std::vector<Bytes> tables;
    for (const ExtraMarker& marker : listMarkers(jpeg))
        if (marker.code == 0xC4) tables.push_back(marker.data);
    return tables;
}

JpegSpec shape(int width, int height, ColorKind color, int lumaH, int lumaV, int restart = 0) {
    return {width, height, color, lumaH, lumaV, false, restart};
}

JpegSpec optimized(JpegSpec recipe) {
    recipe.optimizedTables = true;
    return recipe;
}

// Every block's DC is 0 and one AC coefficient is 3: at natural position 1, or at 8 in every
// other block when `bothWays`. A turn moves 1 to 8 and back: the coded run before it changes
// from 0 to 1, a symbol the source's optimized tables have only when `bothWays`.
Bytes oneCoefficient(bool bothWays) {
    auto change = [bothWays](int, int x, int y, std::int16_t* block) {
        std::fill(block, block + 64, 0);
        block[bothWays && (x + y) % 2 ? 8 : 1] = 3;
    };
    return withCoefficients(makeJpeg(shape(64, 48, ColorKind::YCbCr, 2, 2)), change, true);
}

struct TableCase {
    const char* name;
    Bytes jpeg;
    K kind;
    T tables;
    bool optimize = false;
    bool gray = false;
};

std::vector<TableCase> cases() {
    const Bytes camera = makeJpeg(optimized(shape(123, 77, ColorKind::YCbCr, 2, 2)));
    return {
        {"own tables, nothing moved", camera, K::None, T::SourcesOwn},
        {"own tables coding the turn too", oneCoefficient(true), K::Rotate270, T::SourcesOwn},
        {"own tables lacking a run the turn needs", oneCoefficient(false), K::Rotate270, T::Rebuilt},
        {"own tables, optimize asked", oneCoefficient(true), K::Rotate270, T::Rebuilt, true},
        {"4:2:0 with partial MCUs", camera, K::Rotate270, T::Rebuilt, true},
        {"4:2:0 with restarts", makeJpeg(optimized(shape(100, 64, ColorKind::YCbCr, 2, 2, 3))), K::Transpose,
         T::Rebuilt, true},
        {"4:2:2 restarting every MCU", makeJpeg(shape(90, 60, ColorKind::YCbCr, 2, 1, 1)), K::Rotate90, T::Rebuilt,
         true},
        {"4:4:4 flipped", makeJpeg(shape(70, 50, ColorKind::YCbCr, 1, 1)), K::FlipHorizontal, T::Rebuilt, true},
        {"grey", makeJpeg(optimized(shape(77, 53, ColorKind::Gray, 1, 1, 5))), K::Rotate270, T::Rebuilt},
        {"grey sampled 2 x 2", makeJpeg(shape(45, 37, ColorKind::Gray, 2, 2)), K::Rotate180, T::Rebuilt, true},
        {"CMYK", makeJpeg(shape(60, 44, ColorKind::Cmyk, 2, 1)), K::Transverse, T::Rebuilt, true},
        {"grey output of a colour photo", camera, K::Rotate270, T::Rebuilt, false, true},
        {"standard tables", makeJpeg(shape(64, 48, ColorKind::YCbCr, 2, 2)), K::Rotate270, T::Standard},
    };
}

// Kept tables come out as the source's DHT segments; rebuilt ones are the tables libjpeg's own
// statistics pass builds for the turned coefficients, which are the engine's exact turn.
TEST(HuffmanTables, KeptWhereTheyCodeTheTurnElseRebuiltAsLibjpegWould) {
    for (const TableCase& c : cases()) {
        SCOPED_TRACE(c.name);
        CoefficientPassResult result =
            runCoefficientPass({c.jpeg.data(), c.jpeg.size(), c.kind, true, c.gray, CopyAll, true, c.optimize});
        ASSERT_TRUE(result.ok()) << result.message;
        EXPECT_STREQ(huffmanTablesName(result.tables), huffmanTablesName(c.tables));
        expectSameImage(result.output, transformInMemory(c.jpeg, c.kind, true, c.gray));
        if (c.tables == T::SourcesOwn) {
            EXPECT_EQ(huffmanTables(result.output), huffmanTables(c.jpeg));
        } else if (c.tables == T::Rebuilt) {
            EXPECT_EQ(huffmanTables(result.output), huffmanTables(withCoefficients(result.output, nullptr, true)));
        }
    }
}

}  // namespace
