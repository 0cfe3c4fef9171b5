#pragma once
// The tests' own Exif builder: an APP1 Exif payload ("Exif\0\0" + TIFF data) in either byte
// order from a description, so that each case is written once and checked in both orders.
//
// Layout (offsets count from the TIFF header, as inside the block): the 8-byte header, IFD0 at 8
// with its out-of-line values behind it, then the Exif, Interop, GPS, IFD1 and extra directories
// (each followed by its values), then the thumbnail, then the directories moved behind it, then
// the values moved behind it, then `trailer`. A directory's pointer entry is appended to its
// parent (0x8769 and 0x8825 to IFD0, 0xA005 to the Exif directory) and IFD1 is linked from IFD0's
// next-directory link. Hostile shapes: set `count` or `field` of an entry, or patch the built
// bytes with put16/put32 at the offsets the block reports.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/jpeg_maker.h"

namespace testsupport {

enum class ByteOrder { Intel, Motorola };  // "II" little-endian, "MM" big-endian

// Writes a `size`-byte number at `at` in the given byte order.
void putNumber(Bytes& bytes, std::size_t at, std::uint64_t value, int size, ByteOrder order);

// TIFF format codes.
enum ExifFormat : std::uint16_t {
    kExifByte = 1, kExifAscii, kExifShort, kExifLong, kExifRational, kExifSByte,
    kExifUndefined, kExifSShort, kExifSLong, kExifSRational, kExifFloat, kExifDouble
};

struct ExifEntry {
    std::uint16_t tag = 0;
    std::uint16_t format = 0;
    std::uint32_t count = 0;             // written as it stands: change it for a wrong count
    Bytes bytes;                         // 1-byte formats, FLOAT and DOUBLE: stored as they stand
    std::vector<std::int64_t> numbers;   // 2-, 4- and 8-byte integer formats; rationals as num, den, ...
    std::optional<std::uint32_t> field;  // set: written as the 4 value bytes (block order), no value placed
    bool behindThumbnail = false;        // an out-of-line value goes behind the thumbnail
};

// Entry helpers; `count` is the number of components given.
ExifEntry asciiEntry(std::uint16_t tag, const std::string& text);  // text plus its terminating zero
ExifEntry bytesEntry(std::uint16_t tag, std::uint16_t format, const Bytes& bytes);  // BYTE, ASCII, UNDEFINED...
ExifEntry shortEntry(std::uint16_t tag, std::vector<std::int64_t> values);
ExifEntry longEntry(std::uint16_t tag, std::vector<std::int64_t> values);
ExifEntry rationalEntry(std::uint16_t tag, std::vector<std::int64_t> numDenPairs);   // RATIONAL
ExifEntry srationalEntry(std::uint16_t tag, std::vector<std::int64_t> numDenPairs);  // SRATIONAL
ExifEntry numberEntry(std::uint16_t tag, std::uint16_t format, std::vector<std::int64_t> values);
ExifEntry doubleEntry(std::uint16_t tag, double value);                              // DOUBLE
// An entry whose 4 value bytes are `field` (an offset or an inline value), with any format and count.
ExifEntry rawEntry(std::uint16_t tag, std::uint16_t format, std::uint32_t count, std::uint32_t field);

using ExifEntries = std::vector<ExifEntry>;

struct ExifSpec {
    ByteOrder order = ByteOrder::Intel;
    ExifEntries ifd0;
    std::optional<ExifEntries> exif;     // Exif sub-directory (0x8769 in IFD0)
    std::optional<ExifEntries> interop;  // Interop directory (0xA005 in the Exif directory, made if absent)
    std::optional<ExifEntries> gps;      // GPS directory (0x8825 in IFD0)
    std::optional<ExifEntries> ifd1;     // the thumbnail's directory, made anyway when there is a thumbnail
    std::vector<ExifEntries> extra;      // further directories behind IFD1, linked from nothing (patch links)
    Bytes thumbnail;                     // non-empty: ThumbnailOffset (LONG) and ThumbnailLength end IFD1
    std::uint16_t thumbnailLengthFormat = kExifLong;
    std::vector<std::uint16_t> behindThumbnail;  // pointer tags (0x8769, 0xA005, 0x8825) of directories placed behind it
    Bytes trailer;                       // bytes behind everything else
};

struct ExifBlock {
    ByteOrder order = ByteOrder::Intel;
    Bytes payload;  // "Exif\0\0" then the TIFF data: ExtraMarker{0xE1, payload}
    // Offsets from the TIFF header start; 0 for what the block does not have.
    std::uint32_t ifd0 = 0, exif = 0, interop = 0, gps = 0, ifd1 = 0;
    std::vector<std::uint32_t> extra;
    std::uint32_t thumbnailOffset = 0;
    std::uint32_t thumbnailLengthValue = 0;  // the value bytes of the ThumbnailLength entry

    std::uint32_t tiffLength() const { return static_cast<std::uint32_t>(payload.size() - 6); }
    // The whole segment as the Exif reader takes it: 2 big-endian length bytes, then the payload.
    Bytes segment() const;
    // Reads and patches at an offset inside the TIFF data, in the block's byte order.
    std::uint16_t get16(std::uint32_t at) const;
    std::uint32_t get32(std::uint32_t at) const;
    void put16(std::uint32_t at, std::uint16_t value);
    void put32(std::uint32_t at, std::uint32_t value);
    // Offset of entry `index` of the directory at `dir`, and of the directory's next-directory link.
    std::uint32_t entryAt(std::uint32_t dir, int index) const { return dir + 2 + 12 * static_cast<std::uint32_t>(index); }
    std::uint32_t linkAt(std::uint32_t dir) const { return entryAt(dir, get16(dir)); }
    // Offset of the value of the first entry with `tag` in the directory at `dir` (the entry's own
    // 4 bytes when the value fits there); throws when the directory has no such entry.
    std::uint32_t valueOf(std::uint32_t dir, std::uint16_t tag) const;
};

ExifBlock buildExif(const ExifSpec& recipe);

// A camera-like block (Make "Velmora", Orientation 1, DateTime "2008:05:17 14:30:00", an Exif
// directory with ExifImageWidth 640 and ExifImageLength 480 as LONG, an Interop directory, a GPS
// position) and IFD1 (Compression 6) with `thumbnail` at the end of the block.
ExifSpec cameraExifSpec(ByteOrder order, const Bytes& thumbnail);

}  // namespace testsupport
