#pragma once
// The edge strip a turn drops: where a picture's width or height is not a whole number of its
// JPEG blocks (8 or 16 pixels, by its sampling) along an edge the turn moves to the other side,
// the part block there cannot be moved exactly, and is dropped so that the turned picture is the
// exact turn of the rest. Foreseen from the frame header, before any picture data is read.

#include <string>

#include "jpegfile/photo_record.h"
#include "transform/transform_setup.h"

struct EdgeStrip {
    int columns = 0;     // pixels dropped at the right edge of the picture as stored
    int rows = 0;        // pixels dropped at its bottom edge
    int blockWidth = 0;  // the block sizes that make them
    int blockHeight = 0;
    bool tooSmall = false;  // the picture is narrower (or lower) than one block along such an edge:
                            // nothing can be dropped, and it cannot be turned exactly

    bool any() const { return columns > 0 || rows > 0; }
};

// What turning the stored picture of `frame` by `stored` drops.
EdgeStrip edgeStripOf(const FrameFacts& frame, TransformKind stored);

// What a pass dropped from a `width` x `height` picture of `blockWidth` x `blockHeight` blocks
// that it kept as `keptWidth` x `keptHeight` (in the same axes): the strip as it happened.
EdgeStrip droppedStrip(int width, int height, int keptWidth, int keptHeight, int blockWidth, int blockHeight);

// "8 rows at the bottom were dropped: the height is not a whole number of 16-pixel blocks" (and
// the columns at the right the same way, joined by "; "), in the conditional with `foreseen`
// ("would be dropped"); "" when nothing is.
std::string edgeStripText(const EdgeStrip& strip, bool foreseen = false);
