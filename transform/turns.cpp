#include "transform/turns.h"

#include <strings.h>

namespace {

constexpr TurnFacts kTurns[] = {
    // kind                         name               transposes reversesX reversesY uprights words
    {TransformKind::Rotate90, "rotate 90", true, true, false, 6, "a quarter turn clockwise"},
    {TransformKind::Rotate180, "rotate 180", false, true, true, 3, "a half turn"},
    {TransformKind::Rotate270, "rotate 270", true, false, true, 8, "a quarter turn counter-clockwise"},
    {TransformKind::FlipHorizontal, "flip horizontal", false, true, false, 2, "mirrored left to right"},
    {TransformKind::FlipVertical, "flip vertical", false, false, true, 4, "mirrored top to bottom"},
    {TransformKind::Transpose, "transpose", true, false, false, 5, "mirrored across the diagonal from the top left"},
    {TransformKind::Transverse, "transverse", true, true, true, 7, "mirrored across the diagonal from the top right"},
    {TransformKind::None, "none", false, false, false, 1, "no turn"},
};

const TurnFacts& noneFacts() { return kTurns[sizeof kTurns / sizeof kTurns[0] - 1]; }

TransformKind kindOf(bool transposes, bool reversesX, bool reversesY) {
    for (const TurnFacts& facts : kTurns)
        if (facts.transposes == transposes && facts.reversesX == reversesX && facts.reversesY == reversesY)
            return facts.kind;
    return TransformKind::None;
}

// A turn as the matrix that maps a point (from the picture's centre) of the source to the output:
// the exchange of axes, then the reversals. Entries are -1, 0 or 1.
struct Matrix {
    int a, b, c, d;  // x' = a x + b y, y' = c x + d y
};

Matrix matrixOf(const TurnFacts& facts) {
    const int sx = facts.reversesX ? -1 : 1, sy = facts.reversesY ? -1 : 1;
    return facts.transposes ? Matrix{0, sx, sy, 0} : Matrix{sx, 0, 0, sy};
}

TransformKind kindOf(const Matrix& m) {
    if (m.b == 0) return kindOf(false, m.a < 0, m.d < 0);
    return kindOf(true, m.b < 0, m.c < 0);
}

}  // namespace

const TurnFacts& turnFacts(TransformKind kind) {
    for (const TurnFacts& facts : kTurns)
        if (facts.kind == kind) return facts;
    return noneFacts();
}

TransformKind composed(TransformKind first, TransformKind then) {
    const Matrix f = matrixOf(turnFacts(first)), t = matrixOf(turnFacts(then));
    return kindOf(Matrix{t.a * f.a + t.b * f.c, t.a * f.b + t.b * f.d, t.c * f.a + t.d * f.c, t.c * f.b + t.d * f.d});
}

TransformKind inverse(TransformKind kind) {
    for (const TurnFacts& facts : kTurns)
        if (composed(kind, facts.kind) == TransformKind::None) return facts.kind;
    return TransformKind::None;
}

TransformKind turnForOrientation(int orientation) {
    for (const TurnFacts& facts : kTurns)
        if (facts.uprights == orientation) return facts.kind;
    return TransformKind::None;
}

bool turnFromName(const std::string& name, TransformKind* kind) {
    for (const TurnFacts& facts : kTurns) {
        if (::strcasecmp(name.c_str(), facts.name) == 0) {
            *kind = facts.kind;
            return true;
        }
    }
    return false;
}

const char* turnName(TransformKind kind) { return turnFacts(kind).name; }

std::string turnNameList() {
    std::string list;
    for (const TurnFacts& facts : kTurns) list += (list.empty() ? "" : ", ") + std::string(facts.name);
    return list;
}

std::size_t sourcePixelOf(TransformKind kind, std::size_t x, std::size_t y, std::size_t width, std::size_t height) {
    const TurnFacts& facts = turnFacts(kind);
    const std::size_t turnedWidth = facts.transposes ? height : width, turnedHeight = facts.transposes ? width : height;
    const std::size_t ux = facts.reversesX ? turnedWidth - 1 - x : x, uy = facts.reversesY ? turnedHeight - 1 - y : y;
    return facts.transposes ? ux * width + uy : uy * width + ux;
}
