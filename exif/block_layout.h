#pragma once
// What the walk of an Exif block leaves behind: where every directory and value that the block
// refers to lies, where its thumbnail lies and how it may be replaced, and where the entries that
// this program rewrites stand. The record also bounds the work of the walk. One per thread, for
// the block walked last; clearPhotoInfo forgets it together with the photo record.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exif/directory_entry.h"
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
    const unsigned char* segment = nullptr;  // the segment walked, from its first length byte
    std::size_t segmentLength = 0;
    TiffBlock tiff{nullptr, 0};
    int motorola = 0;           // the block's byte order
    bool attempted = false;     // processExifBlock was given this block
    bool walked = false;        // its TIFF header and first directory could be read
    bool incomplete = false;    // some further directory could not be read in full
    std::vector<std::uint32_t> directories;  // offsets of the directories claimed, in walk order (a GPS
                                             // directory is claimed before it is found too large)
    std::vector<ByteSpan> referenced;        // header, directories, values, and references past the end
    WalkedThumbnail thumbnail;
    std::vector<std::uint32_t> orientationEntries;  // Orientation entries (0x0112)
    std::vector<std::uint32_t> widthEntries;        // ExifImageWidth entries (0xA002)
    std::vector<std::uint32_t> heightEntries;       // ExifImageLength entries (0xA003)
    std::uint64_t entriesLeft = 0;
};

// The record of the block given to processExifBlock last when `segment` (of `length` bytes) is
// that block still; nullptr otherwise. Callers that change the block keep the record in step.
BlockLayout* layoutOf(const unsigned char* segment, std::size_t length);
const BlockLayout& lastLayout();

// processExifBlock: a fresh record for this segment (its TIFF data too when it is long enough).
void beginBlockWalk(const unsigned char* segment, std::size_t length);
void forgetWalkedBlock();

// Each directory offset is walked at most once, and the entries of all directories together are
// bounded by what a block of that length can hold without overlapping directories (twice over).
// Both report when they refuse; a refusal other than a repeat leaves the record incomplete. A
// walk started without processExifBlock (a direct call of a directory walker) gets a record of
// its own, tied to no segment.
enum class DirectoryClaim { First, Repeat, Refused };
DirectoryClaim claimDirectory(const TiffBlock& block, std::uint32_t offset);
bool chargeEntries(const TiffBlock& block, unsigned entries);

// A directory read in full: its count, its entries and its link (as far as the block reaches).
void noteDirectory(const TiffBlock& block, std::uint32_t offset, unsigned entries);
// A directory that is named but cannot be read: the record is incomplete, and its first bytes count.
void noteUnreadDirectory(const TiffBlock& block, std::uint64_t offset);
// An entry's value that lies outside the entry, wherever it points.
void noteEntryValue(const DirectoryEntry& entry);

// The thumbnail that the walk keeps, and the Exif entries that a turn may rewrite.
void noteThumbnail(std::uint32_t offset, std::uint32_t size, std::int64_t lengthEntry);
void noteRewritableEntry(const DirectoryEntry& entry);

// After the walk: where a new thumbnail may go, into the record and into photoInfo.
void decideThumbnailPlace();
