#pragma once
// The turn vocabulary, in one table: for each TransformKind its name as people type it, what it
// does to the picture's axes, and the Orientation tag value it makes upright. The engine, the
// thumbnails, the further pictures, the Exif dimensions, the edge-strip rule and the plans all
// read it; the turns compose as the eight symmetries of a rectangle do.

#include <string>

#include "transform/transform_setup.h"

struct TurnFacts {
    TransformKind kind;
    const char* name;     // "rotate 90": clockwise, as a viewer shows it
    bool transposes;      // the output's axes are the source's exchanged (width and height swap)
    bool reversesX;       // after that, the output's x runs backwards through the source
    bool reversesY;       // and its y
    int uprights;         // the Orientation value (1 to 8) whose stored picture this turn makes upright
    const char* words;    // "a quarter turn clockwise": what a viewer shows it do, in plain words
};

// The facts of `kind`; a code outside the enumeration has None's.
const TurnFacts& turnFacts(TransformKind kind);

// `first`, then `then`, as one turn.
TransformKind composed(TransformKind first, TransformKind then);
// The turn that undoes `kind`.
TransformKind inverse(TransformKind kind);

// The turn that makes a photo upright from its Orientation value: 2 flip horizontal, 3 rotate 180,
// 4 flip vertical, 5 transpose, 6 rotate 90, 7 transverse, 8 rotate 270; 1, 0 (no tag) and values
// outside 1 to 8 need nothing (None).
TransformKind turnForOrientation(int orientation);

// `name` in any letter case as one of the eight; false when it names none of them.
bool turnFromName(const std::string& name, TransformKind* kind);
// The name of `kind` ("rotate 270"); "none" for a code outside the enumeration.
const char* turnName(TransformKind kind);
// Every name, in the order the help lists them: "rotate 90, rotate 180, ..., none".
std::string turnNameList();

// Where the pixel at (x, y) of the turned picture comes from in the source picture, which is
// `width` x `height` before the turn; as an index into its rows.
std::size_t sourcePixelOf(TransformKind kind, std::size_t x, std::size_t y, std::size_t width, std::size_t height);
