#pragma once
// The picture index of a multi-picture file: the APP2 "MPF" segment of the first picture holds a
// TIFF-style header and an index directory whose entries give each picture's size and where it
// starts, counted from the header's byte-order mark. Pure functions on the segment's payload.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MpEntry {
    std::uint32_t attribute = 0;  // flags, data format (bits 24-26) and picture type
    std::uint32_t size = 0;       // bytes from the picture's SOI to its EOI
    std::uint32_t offset = 0;     // from the index's base; 0 for the first picture
    std::uint16_t firstDependent = 0;
    std::uint16_t secondDependent = 0;
    std::size_t sizeAt = 0;    // where the size field lies in the payload
    std::size_t offsetAt = 0;  // where the offset field lies in the payload
};

// Data format 0: the picture is a JPEG stream.
inline bool isJpegEntry(const MpEntry& entry) { return (entry.attribute & 0x07000000u) == 0; }

struct MpIndex {
    bool bigEndian = false;
    std::vector<MpEntry> entries;  // in index order; the first is the first picture
};

// The offsets of an index count from this byte of the payload: the byte-order mark behind "MPF\0".
inline constexpr std::size_t kMpBaseInPayload = 4;

// Whether an APP2 payload (behind the length field) begins with "MPF" and a zero byte.
bool isMpfPayload(const unsigned char* payload, std::size_t size);

// The entries of the payload's index directory, every field read inside the payload. A directory
// without entries (the attribute directory of a further picture) gives an empty index. false
// with a reason when the payload is no index or a field lies outside it.
bool readMpIndex(const unsigned char* payload, std::size_t size, MpIndex* index, std::string* reason);

// Writes every entry's size and offset at its sizeAt and offsetAt, in the index's byte order.
// false, and nothing written, when a field would lie outside the payload.
bool writeMpEntries(unsigned char* payload, std::size_t size, const MpIndex& index);
