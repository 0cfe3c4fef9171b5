#include "workflow/edge_strip.h"

#include "transform/turns.h"

namespace {

constexpr int kBlock = 8;

// The pixels past the last whole block of `size`, or -1 when there is no whole block to keep.
int partOfBlock(int size, int block) {
    if (size == 1 || size % block == 0) return 0;  // a single pixel mirrors onto itself
    return size < block ? -1 : size % block;
}

std::string sideText(int pixels, const char* what, const char* where, const char* dimension, int block, bool foreseen) {
    return std::to_string(pixels) + " " + what + (pixels == 1 ? "" : "s") + " at the " + where +
           (foreseen ? " would be dropped" : " were dropped") + ": the " + dimension + " is not a whole number of " +
           std::to_string(block) + "-pixel blocks";
}

}  // namespace

EdgeStrip edgeStripOf(const FrameFacts& frame, TransformKind stored) {
    EdgeStrip strip;
    strip.blockWidth = kBlock * frame.maxH();
    strip.blockHeight = kBlock * frame.maxV();
    const TurnFacts& turn = turnFacts(stored);
    // The output's reversed axes, seen from the stored picture.
    const bool reversesColumns = turn.transposes ? turn.reversesY : turn.reversesX;
    const bool reversesRows = turn.transposes ? turn.reversesX : turn.reversesY;
    const int columns = reversesColumns ? partOfBlock(frame.width, strip.blockWidth) : 0;
    const int rows = reversesRows ? partOfBlock(frame.height, strip.blockHeight) : 0;
    strip.tooSmall = columns < 0 || rows < 0;
    strip.columns = columns > 0 ? columns : 0;
    strip.rows = rows > 0 ? rows : 0;
    return strip;
}

EdgeStrip droppedStrip(int width, int height, int keptWidth, int keptHeight, int blockWidth, int blockHeight) {
    EdgeStrip strip;
    strip.blockWidth = blockWidth;
    strip.blockHeight = blockHeight;
    strip.columns = width > keptWidth ? width - keptWidth : 0;
    strip.rows = height > keptHeight ? height - keptHeight : 0;
    return strip;
}

std::string edgeStripText(const EdgeStrip& strip, bool foreseen) {
    std::string text;
    if (strip.rows) text = sideText(strip.rows, "row", "bottom", "height", strip.blockHeight, foreseen);
    if (strip.columns)
        text += (text.empty() ? "" : "; ") + sideText(strip.columns, "column", "right", "width", strip.blockWidth, foreseen);
    return text;
}
