#pragma once
// Internal to the Exif reader: the block being walked and one directory entry with its value
// located and checked against the block. The reader only reads: the block is const throughout.

#include <cstddef>
#include <cstdint>

#include "exif/byte_order.h"

class ReaderNotes;

// The TIFF data: `base` is the TIFF header start, `length` the bytes from there to the segment
// end, `order` the byte order its header states.
struct TiffBlock {
    const unsigned char* base;
    std::uint32_t length;
    TiffByteOrder order;

    // Whether the `count` bytes at `offset` lie inside the block (no overflow).
    bool holds(std::uint64_t offset, std::uint64_t count) const { return offset + count <= length; }
    std::uint32_t offsetOf(const unsigned char* at) const { return static_cast<std::uint32_t>(at - base); }
    // Bytes from `at` (inside the block) to its end.
    std::size_t bytesFrom(const unsigned char* at) const { return length - offsetOf(at); }
};

// The TIFF data of an Exif segment (from its first length byte: two length bytes, "Exif\0\0",
// then the TIFF header); empty (holding nothing) when the segment is too short for any.
TiffBlock tiffOf(const unsigned char* segment, std::size_t length, TiffByteOrder order);

struct DirectoryEntry {
    std::uint32_t at = 0;  // the entry's own 12 bytes, counted from the TIFF header
    unsigned tag = 0;
    int format = 0;
    std::uint32_t count = 0;
    std::uint32_t byteCount = 0;
    bool outOfLine = false;             // the value lies at valueOffset, not in the entry itself
    std::uint32_t valueOffset = 0;      // set with outOfLine, also when it points outside the block
    const unsigned char* value = nullptr;  // inside the block; its byteCount bytes too
};

// Reads the entry at `offset` (its 12 bytes inside the block) and locates its value. A format
// outside 1..12, more than 65536 components or a value beyond the block are reported to `notes`
// (when given) and give false.
bool readDirectoryEntry(const TiffBlock& block, std::uint32_t offset, DirectoryEntry* entry, ReaderNotes* notes);

// The first component as a number (valueAsDouble); 0 when it would reach past the block.
double entryNumber(const TiffBlock& block, const DirectoryEntry& entry, ReaderNotes* notes);

// Whether the directory at `offset` fits the block: its entry count inside, and its entries
// ending at the block's end, 2 bytes before it, or leaving room for the 4-byte link.
// Sets `entries` when the count could be read.
bool directoryFits(const TiffBlock& block, std::uint64_t offset, unsigned* entries);

// Clears the text field `to` of `fieldSize` bytes, then copies at most `max` characters (below
// fieldSize) from `from` (inside the block), stopping at a zero byte and at the block's end.
void copyBlockText(char* to, std::size_t fieldSize, const unsigned char* from, std::size_t max, const TiffBlock& block);
