#pragma once
// XResolution and YResolution follow a turn that exchanges the picture's axes: in each directory
// that states both (IFD0 for the picture, IFD1 for its thumbnail), the two values change places.
// Pixels that are not square stay the shape they were on the turned picture.

#include <cstddef>

#include "exif/block_layout.h"

// Swaps the pairs the walk recorded in `layout` in the Exif segment `segment` (`length` bytes
// from its first length byte). true when every pair of one directory was swapped (also when there
// is none); false when a pair cannot be (its values differ in format or share bytes with other
// data), the others swapped all the same.
bool swapResolutions(unsigned char* segment, std::size_t length, const BlockLayout& layout);
