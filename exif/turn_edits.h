#pragma once
// The Exif edits that go with a turned photograph: the Orientation tag says what the turn made of
// it (upright, or for an undo what it said before), and the pixel dimensions state the turned size. They act on an Exif
// segment at the entries its walk recorded in `layout`, each value in its own type and the
// block's byte order. `segment` is that segment from its first length byte and `length` its
// length; a block that could not be walked is refused.

#include <cstddef>
#include <cstdint>

#include "exif/block_layout.h"

// Every Orientation (0x0112) the walk met becomes `value` (1 for upright): IFD0's, IFD1's where
// present, and one in any other directory. true when every Orientation value present now says
// `value` (also when there is none); false, with nothing changed, when one cannot hold the number
// or the block is refused.
bool setOrientation(unsigned char* segment, std::size_t length, const BlockLayout& layout, std::uint32_t value);

// ExifImageWidth and ExifImageLength (PixelXDimension 0xA002 and PixelYDimension 0xA003, in the
// Exif sub-directory or wherever the walk met them) state `width` and `height`. true when written
// or absent; false, with both as they were, when a value does not fit its type or the block is
// refused.
bool setPixelDimensions(unsigned char* segment, std::size_t length, const BlockLayout& layout, std::uint32_t width,
                        std::uint32_t height);

// The two values as they stand. false when either is absent or not a number.
bool readPixelDimensions(const unsigned char* segment, std::size_t length, const BlockLayout& layout,
                         std::uint32_t* width, std::uint32_t* height);
