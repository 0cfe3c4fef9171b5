#pragma once
// What a turn does to the positions a photo's metadata gives in its picture (face regions, the
// focus point, the picture's size), written once for every kind of them. A position describes
// either the picture as stored (Exif's SubjectArea) or the picture as shown, its orientation
// applied (the face regions photo managers write). Both follow the stored picture: the edge strip
// the turn drops is cut from its right and bottom first, the stored turn moves what is left, and
// the picture as shown is the stored one seen through the orientation in force before the turn
// and after it. Shown positions so follow the turn as a viewer shows it, stored ones the stored turn.

#include <cstdint>
#include <optional>

#include "transform/transform_setup.h"

struct PictureSize {
    double width = 0;
    double height = 0;
};

// A rectangle in continuous coordinates: x runs from the picture's left edge (0) to its right
// edge (its width), y from the top. A point is a box of no size.
struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;

    static Box around(double centreX, double centreY, double width, double height) {
        return {centreX - width / 2, centreY - height / 2, centreX + width / 2, centreY + height / 2};
    }
    double width() const { return right - left; }
    double height() const { return bottom - top; }
    double centreX() const { return (left + right) / 2; }
    double centreY() const { return (top + bottom) / 2; }
};

enum class PictureFrame { Stored, Shown };

struct PictureTurn {
    TransformKind stored = TransformKind::None;  // the turn the stored picture gets
    int orientation = 0;   // the orientation it is shown with before the turn (0: none)
    int tagAfter = 0;      // 1 to 8: every orientation the photo states becomes it (1 when made upright,
                           // the earlier value for an undo); 0: they stay as they are
    int width = 0, height = 0;          // the stored picture before the turn
    int keptWidth = 0, keptHeight = 0;  // what is left of it once the edge strip is dropped

    // Nothing moves: no turn of the stored picture and no strip dropped (the orientation may
    // still be reset, which leaves the picture as shown as it was).
    bool movesNothing() const;
};

// The turn of a picture of `width` x `height` by `stored`, with the orientation followed and
// `droppedColumns` and `droppedRows` the edge strip the turn drops.
PictureTurn pictureTurnOf(TransformKind stored, int orientation, int tagAfter, int width, int height,
                          int droppedColumns, int droppedRows);

// The picture's size as stored or as shown, before and after the turn.
PictureSize sizeBefore(const PictureTurn& turn, PictureFrame frame);
PictureSize sizeAfter(const PictureTurn& turn, PictureFrame frame);

// Whether the turn exchanges the axes of the picture as stored or shown (its width and height swap).
bool exchangesAxes(const PictureTurn& turn, PictureFrame frame);

// Where `box`, given in pixels of the picture before the turn (as stored or shown), lies after
// it, in pixels of the turned picture: what lay in the dropped strip is cut off.
Box boxAfter(const PictureTurn& turn, PictureFrame frame, Box box);

// A size the metadata states for the stored picture, either part possibly absent.
struct StatedSize {
    std::optional<std::uint64_t> width, height;
};

// The stated size after the turn: swapped with the axes; the picture's own size where the strip
// was dropped, or where only one part is stated (there is nothing to swap it with). false, and
// `size` as it was, when the turn changes neither axis nor size.
bool turnStatedSize(const PictureTurn& turn, StatedSize* size);
