#pragma once
// A photo's picture at an eighth of its size in each direction, one pixel for each block, read
// from the blocks' DC coefficients alone: the coded data is scanned for them, and no block is
// ever decoded whole. This is what a tile of a large photo needs, several times faster than a
// full decoder at its smallest scale (which still decodes every coefficient). For the common
// photos only: one Huffman-coded sequential scan of a grey or YCbCr picture, 8 bits a sample;
// the rest (progressive, arithmetic, CMYK, one scan a component) are left to libjpeg.

#include <cstdint>
#include <functional>
#include <vector>

#include "jpegfile/photo_record.h"

enum class EighthScan {
    Done,         // every row was handed on, or every row up to where the data ends (the rest is
                  // grey, as libjpeg pads missing data)
    NotThisKind,  // a kind of JPEG the scan does not read: nothing was handed on
    Damaged,      // a code no table holds: rows may have been handed on; decode it another way
};

// The picture of `jpeg` (the whole file; `record` its header) is ceil(width / 8) x
// ceil(height / 8) pixels; `row` gets its RGB rows, top down, as far as the data reaches.
EighthScan scanEighth(const std::vector<unsigned char>& jpeg, const PhotoRecord& record,
                      const std::function<void(const std::uint8_t* rgb, int width)>& row);
