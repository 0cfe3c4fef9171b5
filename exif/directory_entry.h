#pragma once
// Internal to the Exif reader: the block being walked, one directory entry with its value
// located and checked against the block, and the record that bounds the work of one block.

#include <cstddef>
#include <cstdint>

// The TIFF data: `base` is the TIFF header start, `length` the bytes from there to the segment end.
struct TiffBlock {
    unsigned char* base;
    std::uint32_t length;

    // Whether the `count` bytes at `offset` lie inside the block (no overflow).
    bool holds(std::uint64_t offset, std::uint64_t count) const { return offset + count <= length; }
    std::uint32_t offsetOf(const unsigned char* at) const { return static_cast<std::uint32_t>(at - base); }
    // Bytes from `at` (inside the block) to its end.
    std::size_t bytesFrom(const unsigned char* at) const { return length - offsetOf(at); }
};

struct DirectoryEntry {
    unsigned tag = 0;
    int format = 0;
    std::uint32_t count = 0;
    std::uint32_t byteCount = 0;
    bool outOfLine = false;       // the value lies at an offset, not in the entry itself
    unsigned char* value = nullptr;  // inside the block; its byteCount bytes too
};

// Reads the entry at `offset` (inside the block) and locates its value. A format outside 1..12,
// more than 65536 components or a value beyond the block are reported and give false.
bool readDirectoryEntry(const TiffBlock& block, std::uint32_t offset, DirectoryEntry* entry);

// The first component as a number (valueAsDouble); 0 when it would reach past the block.
double entryNumber(const TiffBlock& block, const DirectoryEntry& entry);

// Whether the directory at `offset` fits the block: its entry count inside, and its entries
// ending at the block's end, 2 bytes before it, or leaving room for the 4-byte link.
// Sets `entries` when the count could be read.
bool directoryFits(const TiffBlock& block, std::uint64_t offset, unsigned* entries);

// Clears the text field `to` of `fieldSize` bytes, then copies at most `max` characters (below
// fieldSize) from `from` (inside the block), stopping at a zero byte and at the block's end.
void copyBlockText(char* to, std::size_t fieldSize, const unsigned char* from, std::size_t max, const TiffBlock& block);

// The work record of one block: each directory offset is walked at most once, and the entries
// of all directories together are bounded by what a block of that length can hold without
// overlapping directories (twice over). Both report when they refuse.
void beginBlockWalk(const TiffBlock& block);
bool claimDirectory(const TiffBlock& block, std::uint32_t offset);
bool chargeEntries(const TiffBlock& block, unsigned entries);

// The directory walk of one Exif or IFD directory by offset (exif_block.cpp).
void walkExifDirectory(const TiffBlock& block, std::uint64_t offset, int level);
