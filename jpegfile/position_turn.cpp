#include "jpegfile/position_turn.h"

#include <algorithm>
#include <utility>

#include "transform/turns.h"

namespace {

TransformKind tagBefore(const PictureTurn& turn) { return turnForOrientation(turn.orientation); }
TransformKind tagAfter(const PictureTurn& turn) {
    return turn.tagAfter != 0 ? turnForOrientation(turn.tagAfter) : tagBefore(turn);
}

PictureSize turnedSize(TransformKind kind, PictureSize size) {
    return turnFacts(kind).transposes ? PictureSize{size.height, size.width} : size;
}

// The box in a picture of `size` (before the turn) after turning that picture by `kind`: the axes
// exchanged first, then the reversals, as the engine moves the pixels.
Box turnedBox(TransformKind kind, Box box, PictureSize size) {
    const TurnFacts& facts = turnFacts(kind);
    if (facts.transposes) box = {box.top, box.left, box.bottom, box.right};
    const PictureSize turned = turnedSize(kind, size);
    if (facts.reversesX) box = {turned.width - box.right, box.top, turned.width - box.left, box.bottom};
    if (facts.reversesY) box = {box.left, turned.height - box.bottom, box.right, turned.height - box.top};
    return box;
}

Box clipped(Box box, PictureSize size) {
    auto clamp = [](double value, double high) { return std::clamp(value, 0.0, high); };
    return {clamp(box.left, size.width), clamp(box.top, size.height), clamp(box.right, size.width),
            clamp(box.bottom, size.height)};
}

PictureSize kept(const PictureTurn& turn) {
    return {static_cast<double>(turn.keptWidth), static_cast<double>(turn.keptHeight)};
}

}  // namespace

bool PictureTurn::movesNothing() const {
    return stored == TransformKind::None && keptWidth == width && keptHeight == height;
}

PictureTurn pictureTurnOf(TransformKind stored, int orientation, int tagAfter, int width, int height,
                          int droppedColumns, int droppedRows) {
    return {stored, orientation, tagAfter, width, height, width - droppedColumns, height - droppedRows};
}

PictureSize sizeBefore(const PictureTurn& turn, PictureFrame frame) {
    const PictureSize stored{static_cast<double>(turn.width), static_cast<double>(turn.height)};
    return frame == PictureFrame::Stored ? stored : turnedSize(tagBefore(turn), stored);
}

PictureSize sizeAfter(const PictureTurn& turn, PictureFrame frame) {
    const PictureSize stored = turnedSize(turn.stored, kept(turn));
    return frame == PictureFrame::Stored ? stored : turnedSize(tagAfter(turn), stored);
}

bool exchangesAxes(const PictureTurn& turn, PictureFrame frame) {
    const bool stored = turnFacts(turn.stored).transposes;
    if (frame == PictureFrame::Stored) return stored;
    return stored != (turnFacts(tagBefore(turn)).transposes != turnFacts(tagAfter(turn)).transposes);
}

Box boxAfter(const PictureTurn& turn, PictureFrame frame, Box box) {
    if (frame == PictureFrame::Shown) box = turnedBox(inverse(tagBefore(turn)), box, sizeBefore(turn, frame));
    box = turnedBox(turn.stored, clipped(box, kept(turn)), kept(turn));
    if (frame == PictureFrame::Shown) box = turnedBox(tagAfter(turn), box, sizeAfter(turn, PictureFrame::Stored));
    return box;
}

bool turnStatedSize(const PictureTurn& turn, StatedSize* size) {
    const bool trimmed = turn.keptWidth != turn.width || turn.keptHeight != turn.height;
    if (!trimmed && !exchangesAxes(turn, PictureFrame::Stored)) return false;
    const PictureSize turned = sizeAfter(turn, PictureFrame::Stored);
    const bool whole = size->width && size->height;
    if (trimmed || !whole) {
        if (size->width) size->width = static_cast<std::uint64_t>(turned.width);
        if (size->height) size->height = static_cast<std::uint64_t>(turned.height);
    } else {
        std::swap(size->width, size->height);
    }
    return true;
}
