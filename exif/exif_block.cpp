#include "exif/exif_block.h"

#include <cstring>

#include "exif/exif_tags.h"
#include "exif/exif_walk.h"
#include "exif/tag_listing.h"

namespace {

constexpr unsigned kSegmentHeaderSize = 16;  // length bytes, "Exif\0\0", TIFF header
constexpr std::uint32_t kNearLinkSlack = 20;  // links this little past the end: a removed thumbnail

void raiseLargestOffset(PhotoInfo& info, std::uint32_t offset) {
    if (offset > info.largestExifOffset) info.largestExifOffset = offset;
}

void followNextDirectoryLink(ExifWalk& walk, std::uint64_t linkOffset, int level) {
    const TiffBlock& block = walk.block;
    std::uint32_t link = block.order.readU32(block.base + linkOffset);
    if (link == 0) return;
    if (link <= block.length) {
        appendListing(walk.listing, "%s    Continued directory\n", listingIndent(level));
        walkExifDirectory(walk, link, level + 1);
    } else {
        if (std::uint64_t{link} >= std::uint64_t{block.length} + kNearLinkSlack)
            walk.report("Illegal subdirectory link");
        else
            appendListing(walk.listing, "%s    Link %u bytes past the block: thumbnail removed by an older tool\n",
                          listingIndent(level), link - block.length);
        noteUnreadDirectory(walk, link);
    }
    raiseLargestOffset(walk.info, link);
}

void storeThumbnail(ExifWalk& walk, DirectoryThumbnail thumbnail) {
    if (thumbnail.offset == 0) return;
    PhotoInfo& info = walk.info;
    info.thumbnailAtEnd = 0;
    if (thumbnail.offset > walk.block.length) return;
    std::uint32_t room = walk.block.length - thumbnail.offset;
    if (thumbnail.length > room) {
        appendListing(walk.listing, "Thumbnail incorrectly placed in header\n");
        thumbnail.length = room;
    }
    info.thumbnailOffset = thumbnail.offset;
    info.thumbnailSize = thumbnail.length;
    // The length value that a new thumbnail updates must be the one of the directory whose
    // thumbnail is kept: IFD0's wins over IFD1's, which was met later in the walk.
    if (thumbnail.lengthValueOffset >= 0) info.thumbnailSizeOffset = thumbnail.lengthValueOffset;
    noteThumbnail(walk, thumbnail.offset, thumbnail.length, thumbnail.lengthEntry);
    appendListing(walk.listing, "Thumbnail size: %d bytes\n", static_cast<int>(thumbnail.length));
}

// The sensor width from the focal-plane resolution, and the 35 mm equivalent from it.
void deriveSensorValues(ExifWalk& walk) {
    if (walk.focalPlaneXRes == 0) return;
    PhotoInfo& info = walk.info;
    info.ccdWidth = static_cast<float>(walk.exifImageWidth * walk.focalPlaneUnits / walk.focalPlaneXRes);
    if (info.focalLength != 0 && info.focalLength35mm == 0)
        info.focalLength35mm = truncateToInt32(double{info.focalLength} / info.ccdWidth * 36 + 0.5);
}

// The TIFF header behind "Exif\0\0": its byte order, or nothing (reported) when it is not one.
bool readTiffHeader(const unsigned char* segment, unsigned length, ReaderNotes& notes, std::string* listing,
                    TiffByteOrder* order) {
    if (length < kSegmentHeaderSize) {
        notes.reportError("Exif block too short (%d bytes)", static_cast<int>(length));
        return false;
    }
    if (std::memcmp(segment + 2, "Exif\0\0", 6) != 0) {
        notes.reportError("Incorrect Exif header");
        return false;
    }
    if (std::memcmp(segment + 8, "II", 2) == 0) {
        order->motorola = false;
    } else if (std::memcmp(segment + 8, "MM", 2) == 0) {
        order->motorola = true;
    } else {
        notes.reportError("Invalid Exif alignment marker.");
        return false;
    }
    appendListing(listing, order->motorola ? "Exif section in Motorola order\n" : "Exif section in Intel order\n");
    if (order->readU16(segment + 10) != 42) {
        notes.reportError("Invalid Exif start (1)");
        return false;
    }
    return true;
}

}  // namespace

bool walkExifDirectory(ExifWalk& walk, std::uint64_t offset, int level) {
    if (level > kMaxDirectoryLevel) {
        walk.report("Maximum directory nesting exceeded (corrupt exif header)");
        noteUnreadDirectory(walk, offset);
        return false;
    }
    unsigned entries = 0;
    if (!directoryFits(walk.block, offset, &entries)) {
        walk.report("Illegally sized directory");
        noteUnreadDirectory(walk, offset);
        return false;
    }
    std::uint32_t start = static_cast<std::uint32_t>(offset);
    DirectoryClaim claim = claimDirectory(walk, start);
    if (claim != DirectoryClaim::First) return claim == DirectoryClaim::Repeat;
    if (!chargeEntries(walk, entries)) return false;
    noteDirectory(walk, start, entries);
    appendListing(walk.listing, "(dir has %d entries)\n", static_cast<int>(entries));

    DirectoryThumbnail thumbnail;
    for (unsigned i = 0; i < entries; ++i) {
        DirectoryEntry entry;
        bool read = readDirectoryEntry(walk.block, start + 2 + 12 * i, &entry, &walk.notes);
        noteEntryValue(walk, entry);
        if (!read) continue;
        if (entry.outOfLine) raiseLargestOffset(walk.info, entry.valueOffset);
        if (walk.listing) listExifEntry(*walk.listing, level, entry, walk.block.order);
        applyExifTag(walk, entry, level, thumbnail);
    }
    std::uint64_t linkOffset = offset + 2 + 12 * std::uint64_t{entries};
    if (walk.block.holds(linkOffset, 4)) followNextDirectoryLink(walk, linkOffset, level);
    storeThumbnail(walk, thumbnail);
    return true;
}

BlockLayout processExifBlock(const unsigned char* segment, unsigned length, PhotoInfo& info, ReaderNotes& notes,
                             std::string* listing) {
    BlockLayout layout;
    appendListing(listing, "Exif header %d bytes long\n", static_cast<int>(length));
    if (!readTiffHeader(segment, length, notes, listing, &layout.order)) return layout;
    ExifWalk walk{tiffOf(segment, length, layout.order), info, layout, notes, listing};
    beginLayout(layout, walk.block.length);
    std::int32_t firstOffset = layout.order.readS32(segment + 12);
    if (firstOffset < 8 || firstOffset > 16) notes.reportError("Suspicious offset of first IFD value");
    layout.walked = walkExifDirectory(walk, layout.order.readU32(segment + 12), 0);
    decideThumbnailPlace(walk);
    deriveSensorValues(walk);
    return layout;
}
