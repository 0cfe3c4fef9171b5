#pragma once
// The one pixel turn of every raw thumbnail (JFXX, JFIF, uncompressed Exif strips): pixels stored
// as they are, row after row, a few bytes each, moved where the turn sends them.

#include <cstddef>

#include "transform/transform_setup.h"

// Turns the `width` x `height` pixels of `bytesPerPixel` bytes at `pixels` in place by `kind`
// (codes outside the enumeration act as None): afterwards they are the turned picture's rows, and
// its width and height are exchanged when the turn transposes.
void turnRawThumbnail(unsigned char* pixels, std::size_t width, std::size_t height, std::size_t bytesPerPixel,
                      TransformKind kind);
