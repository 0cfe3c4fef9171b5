#pragma once
// The Exif values that give positions in the stored picture or its size, turned with it:
// SubjectArea (a point, a circle's centre and diameter, or a rectangle's centre, width and
// height), SubjectLocation (a point), IFD0's ImageWidth and ImageLength. They count in pixels of
// the picture as stored, before its orientation is applied, so they follow the stored turn.
// Each is rewritten in place, in its own type, at the entries the Exif walk recorded.

#include <cstddef>
#include <string>

#include "exif/block_layout.h"
#include "jpegfile/position_turn.h"

// `segment` is the Exif segment from its first length byte, `length` its length. false with a
// reason, and nothing changed, when a value is not the shape its tag says, or a new value does not
// fit its type or cannot be written in its place.
bool turnExifPositions(unsigned char* segment, std::size_t length, const BlockLayout& layout, const PictureTurn& turn,
                       std::string* reason);
