#pragma once
// Rewriting numbers of an Exif block that was read: the first component of a directory entry's
// value, in the entry's own format and the block's byte order, or a plain "does not fit".

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exif/block_layout.h"

struct NumberEdit {
    std::uint32_t entry;  // the entry's 12 bytes, counted from the TIFF header
    unsigned tag;         // the tag the entry must still carry
    std::uint32_t value;
};

// Whether a value of TIFF format `format` can hold `value` and read back the same: BYTE up to
// 255, SBYTE 127, SHORT 65535, SSHORT 32767, LONG all, SLONG and the rationals (as value/1) up
// to 2^31 - 1. ASCII, UNDEFINED, FLOAT and DOUBLE hold no number this program writes.
bool formatHolds(int format, std::uint32_t value);

enum class Rewrite {
    Done,
    TooLarge,    // a value's type cannot hold its new number
    NotWritable  // an entry lies outside, no longer carries its tag, has no component or no number
                 // format, or shares the bytes to be written with other data of the block
};

// Applies `edits` to the Exif segment `segment` (`length` bytes from its first length byte), the
// block that `layout` records, in its byte order: all of them, or none when one cannot be done.
Rewrite rewriteNumbers(unsigned char* segment, std::size_t length, const BlockLayout& layout,
                    const std::vector<NumberEdit>& edits);

// Exchanges the first components of two entries' values, byte for byte (XResolution and
// YResolution when a turn exchanges the axes): `first` must carry `firstTag`, `second` carry
// `secondTag`, both in one number format (rationals too). Done, or NotWritable with nothing changed
// when either cannot be found as above or their formats differ.
Rewrite swapNumbers(unsigned char* segment, std::size_t length, const BlockLayout& layout, std::uint32_t first,
                    unsigned firstTag, std::uint32_t second, unsigned secondTag);

// The first component of the entry's value as an unsigned number; false when the entry cannot be
// found as above or its format is no integer or rational one.
bool readNumber(const unsigned char* segment, std::size_t length, const BlockLayout& layout, std::uint32_t entry,
                unsigned tag, std::uint32_t* value);
