#include "workflow/plan.h"

#include <gtest/gtest.h>

#include "transform/turns.h"

namespace {

using K = TransformKind;
constexpr K kAll[] = {K::None, K::FlipHorizontal, K::FlipVertical, K::Transpose, K::Transverse,
                      K::Rotate90, K::Rotate180, K::Rotate270};

// Whatever the tag, a viewer that honours it shows the photo turned by the planned turn: its
// stored turn, then the tag it has afterwards, is its tag's turn, then the planned one.
TEST(Plan, TheStoredTurnMakesAViewerShowThePlannedTurnUnderEveryTag) {
    for (int tag = 0; tag <= 8; ++tag) {
        for (K turn : kAll) {
            for (bool upright : {false, true}) {
                const K stored = storedTurnOf(turn, upright, tag);
                const int after = tagResetBy(upright, tag) ? 1 : tag;
                EXPECT_EQ(composed(stored, turnForOrientation(after)), composed(turnForOrientation(tag), turn))
                    << "tag " << tag << ", " << turnName(turn) << (upright ? ", upright" : "");
            }
        }
    }
}

FrameFacts frame(int width, int height, int h, int v) {
    FrameFacts facts;
    facts.marker = 0xC0;
    facts.width = width;
    facts.height = height;
    facts.components = {{1, h, v, 0}, {2, 1, 1, 1}};
    return facts;
}

TEST(EdgeStrip, WhatATurnDropsAndHowItIsSaid) {
    struct Case { FrameFacts frame; K turn; int columns, rows; bool tooSmall; const char* text; };
    const Case cases[] = {
        {frame(4000, 3000, 2, 2), K::Rotate90, 0, 8, false,
         "8 rows at the bottom were dropped: the height is not a whole number of 16-pixel blocks"},
        {frame(4001, 3000, 2, 2), K::Rotate270, 1, 0, false,
         "1 column at the right were dropped: the width is not a whole number of 16-pixel blocks"},
        {frame(4001, 3001, 2, 1), K::Rotate180, 1, 1, false,
         "1 row at the bottom were dropped: the height is not a whole number of 8-pixel blocks; 1 column at the right "
         "were dropped: the width is not a whole number of 16-pixel blocks"},
        {frame(4001, 3001, 2, 2), K::Transpose, 0, 0, false, ""},
        {frame(5, 40, 1, 1), K::FlipHorizontal, 0, 0, true, ""},
        {frame(1, 40, 1, 1), K::FlipHorizontal, 0, 0, false, ""},
    };
    for (const Case& c : cases) {
        const EdgeStrip strip = edgeStripOf(c.frame, c.turn);
        EXPECT_EQ(std::make_tuple(strip.columns, strip.rows, strip.tooSmall), std::make_tuple(c.columns, c.rows, c.tooSmall))
            << turnName(c.turn);
        EXPECT_EQ(edgeStripText(strip), c.text);
    }
}

}  // namespace
