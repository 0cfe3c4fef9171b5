#pragma once
// What the walk of an Exif block leaves behind: its byte order, where every directory and value
// that the block refers to lies, where its thumbnail lies and how it may be replaced, and where
// the entries that this program rewrites stand. Positions count from the TIFF header, so the
// record stays true while the segment's bytes are copied or moved; it is a plain value held in
// the photo's record beside the segment it describes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exif/byte_order.h"
#include "exif/photo_info.h"

// Bytes [start, end) counted from the TIFF header start.
struct ByteSpan {
    std::uint64_t start;
    std::uint64_t end;
};

struct WalkedThumbnail {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t room = 0;         // bytes a new thumbnail may take without anything moving
    std::int64_t lengthEntry = -1;  // the ThumbnailLength entry of the directory that names it
    ThumbnailPlace place = ThumbnailPlace::None;
};

struct BlockLayout {
    TiffByteOrder order;            // the block's byte order
    bool walked = false;        // its TIFF header and first directory could be read
    bool incomplete = false;    // some further directory could not be read in full
    std::vector<std::uint32_t> directories;  // offsets of the directories claimed, in walk order (a GPS
                                             // directory is claimed before it is found too large)
    std::vector<ByteSpan> referenced;        // header, directories, values, and references past the end
    WalkedThumbnail thumbnail;
    std::vector<std::uint32_t> orientationEntries;  // Orientation entries (0x0112)
    std::vector<std::uint32_t> widthEntries;        // ExifImageWidth entries (0xA002)
    std::vector<std::uint32_t> heightEntries;       // ExifImageLength entries (0xA003)
    std::vector<std::uint32_t> xResolutionEntries;  // XResolution entries (0x011A), IFD0's and IFD1's
    std::vector<std::uint32_t> yResolutionEntries;  // YResolution entries (0x011B)
    std::uint64_t entriesLeft = 0;                  // the walk's remaining budget of entries
};
