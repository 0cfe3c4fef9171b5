#include "transform/turns.h"

#include <gtest/gtest.h>

namespace {

using K = TransformKind;
constexpr K kAll[] = {K::None, K::FlipHorizontal, K::FlipVertical, K::Transpose, K::Transverse,
                      K::Rotate90, K::Rotate180, K::Rotate270};

// The source pixel a turn puts at each place of the turned picture, row by row, for a source of
// `width` x `height` pixels numbered row by row.
std::vector<std::size_t> turnedPixels(K kind, std::size_t width = 3, std::size_t height = 2) {
    const bool swapped = turnFacts(kind).transposes;
    std::vector<std::size_t> pixels;
    for (std::size_t y = 0; y < (swapped ? width : height); ++y)
        for (std::size_t x = 0; x < (swapped ? height : width); ++x) pixels.push_back(sourcePixelOf(kind, x, y, width, height));
    return pixels;
}

// The pixels each turn moves where a viewer expects them (0 1 2 / 3 4 5 turned), and the turns
// compose as the pixels do: first, then second, is the turn of the composed kind.
TEST(Turns, EachKindMovesThePixelsAsItsNameSaysAndTurnsComposeAsThePixelsDo) {
    const std::pair<K, std::vector<std::size_t>> expected[] = {
        {K::None, {0, 1, 2, 3, 4, 5}},           {K::FlipHorizontal, {2, 1, 0, 5, 4, 3}},
        {K::FlipVertical, {3, 4, 5, 0, 1, 2}},   {K::Rotate180, {5, 4, 3, 2, 1, 0}},
        {K::Rotate90, {3, 0, 4, 1, 5, 2}},       {K::Rotate270, {2, 5, 1, 4, 0, 3}},
        {K::Transpose, {0, 3, 1, 4, 2, 5}},      {K::Transverse, {5, 2, 4, 1, 3, 0}},
    };
    for (const auto& [kind, pixels] : expected) EXPECT_EQ(turnedPixels(kind), pixels) << turnName(kind);
    for (K first : kAll) {
        for (K then : kAll) {
            const bool swapped = turnFacts(first).transposes;
            const std::vector<std::size_t> once = turnedPixels(first), twice = turnedPixels(then, swapped ? 2 : 3, swapped ? 3 : 2);
            std::vector<std::size_t> both;
            for (std::size_t at : twice) both.push_back(once[at]);
            EXPECT_EQ(turnedPixels(composed(first, then)), both) << turnName(first) << ", then " << turnName(then);
        }
        EXPECT_EQ(composed(first, inverse(first)), K::None);
    }
}

TEST(Turns, NamesAsPeopleTypeThem) {
    for (K kind : kAll) {
        K named = K::None;
        EXPECT_TRUE(turnFromName(turnName(kind), &named));
        EXPECT_EQ(named, kind);
    }
    K any = K::None;
    EXPECT_TRUE(turnFromName("Flip Horizontal", &any));
    EXPECT_EQ(any, K::FlipHorizontal);
    EXPECT_FALSE(turnFromName("rotate270", &any));
}

}  // namespace
