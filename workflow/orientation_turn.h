#pragma once
// The turn that makes a photo upright, from the Exif Orientation value its camera wrote.

#include <cstdint>

#include "transform/transform_setup.h"

// 2 flip horizontal, 3 rotate 180, 4 flip vertical, 5 transpose, 6 rotate 90, 7 transverse,
// 8 rotate 270; 1, 0 (no tag) and values outside 1 to 8 need nothing (None).
TransformKind turnForOrientation(std::int32_t orientation);
