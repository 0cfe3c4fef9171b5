#include "exif/exif_block.h"

#include <cstdio>
#include <cstring>

#include "exif/block_layout.h"
#include "exif/byte_order.h"
#include "exif/directory_entry.h"
#include "exif/exif_tags.h"
#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "exif/tag_listing.h"

int listTags = 0;
thread_local bool orientationSeen = false;
thread_local double focalPlaneXRes = 0;
thread_local double focalPlaneUnits = 0;
thread_local std::int32_t exifImageWidth = 0;

namespace {

constexpr unsigned kSegmentHeaderSize = 16;  // length bytes, "Exif\0\0", TIFF header
constexpr std::uint32_t kNearLinkSlack = 20;  // links this little past the end: a removed thumbnail

void raiseLargestOffset(std::uint32_t offset) {
    if (offset > photoInfo.largestExifOffset) photoInfo.largestExifOffset = offset;
}

void followNextDirectoryLink(const TiffBlock& block, std::uint64_t linkOffset, int level) {
    std::uint32_t link = readU32(block.base + linkOffset);
    if (link == 0) return;
    if (link <= block.length) {
        if (listTags) std::printf("%s    Continued directory\n", listingIndent(level));
        walkExifDirectory(block, link, level + 1);
    } else {
        if (std::uint64_t{link} >= std::uint64_t{block.length} + kNearLinkSlack)
            reportError("Illegal subdirectory link");
        else if (listTags)
            std::printf("%s    Link %u bytes past the block: thumbnail removed by an older tool\n",
                        listingIndent(level), link - block.length);
        noteUnreadDirectory(block, link);
    }
    raiseLargestOffset(link);
}

void storeThumbnail(const TiffBlock& block, DirectoryThumbnail thumbnail) {
    if (thumbnail.offset == 0) return;
    photoInfo.thumbnailAtEnd = 0;
    if (thumbnail.offset > block.length) return;
    std::uint32_t room = block.length - thumbnail.offset;
    if (thumbnail.length > room) {
        if (listTags) std::printf("Thumbnail incorrectly placed in header\n");
        thumbnail.length = room;
    }
    photoInfo.thumbnailOffset = thumbnail.offset;
    photoInfo.thumbnailSize = thumbnail.length;
    // The length value that a new thumbnail updates must be the one of the directory whose
    // thumbnail is kept: IFD0's wins over IFD1's, which was met later in the walk.
    if (thumbnail.lengthValueOffset >= 0) photoInfo.thumbnailSizeOffset = thumbnail.lengthValueOffset;
    noteThumbnail(thumbnail.offset, thumbnail.length, thumbnail.lengthEntry);
    if (listTags) std::printf("Thumbnail size: %d bytes\n", static_cast<int>(thumbnail.length));
}

// The sensor width from the focal-plane resolution, and the 35 mm equivalent from it.
void deriveSensorValues() {
    if (focalPlaneXRes == 0) return;
    photoInfo.ccdWidth = static_cast<float>(exifImageWidth * focalPlaneUnits / focalPlaneXRes);
    if (photoInfo.focalLength != 0 && photoInfo.focalLength35mm == 0)
        photoInfo.focalLength35mm = truncateToInt32(double{photoInfo.focalLength} / photoInfo.ccdWidth * 36 + 0.5);
}

// The TIFF header behind "Exif\0\0": sets the byte order. false, reported, when it is not one.
bool readTiffHeader(const unsigned char* segment, unsigned length) {
    if (length < kSegmentHeaderSize) {
        reportError("Exif block too short (%d bytes)", static_cast<int>(length));
        return false;
    }
    if (std::memcmp(segment + 2, "Exif\0\0", 6) != 0) {
        reportError("Incorrect Exif header");
        return false;
    }
    if (std::memcmp(segment + 8, "II", 2) == 0) {
        motorolaOrder = 0;
    } else if (std::memcmp(segment + 8, "MM", 2) == 0) {
        motorolaOrder = 1;
    } else {
        reportError("Invalid Exif alignment marker.");
        return false;
    }
    if (listTags) std::printf(motorolaOrder ? "Exif section in Motorola order\n" : "Exif section in Intel order\n");
    if (readU16(segment + 10) != 42) {
        reportError("Invalid Exif start (1)");
        return false;
    }
    return true;
}

}  // namespace

bool walkExifDirectory(const TiffBlock& block, std::uint64_t offset, int level) {
    if (level > kMaxDirectoryLevel) {
        reportError("Maximum directory nesting exceeded (corrupt exif header)");
        noteUnreadDirectory(block, offset);
        return false;
    }
    unsigned entries = 0;
    if (!directoryFits(block, offset, &entries)) {
        reportError("Illegally sized directory");
        noteUnreadDirectory(block, offset);
        return false;
    }
    std::uint32_t start = static_cast<std::uint32_t>(offset);
    DirectoryClaim claim = claimDirectory(block, start);
    if (claim != DirectoryClaim::First) return claim == DirectoryClaim::Repeat;
    if (!chargeEntries(block, entries)) return false;
    noteDirectory(block, start, entries);
    if (listTags) std::printf("(dir has %d entries)\n", static_cast<int>(entries));

    DirectoryThumbnail thumbnail;
    for (unsigned i = 0; i < entries; ++i) {
        DirectoryEntry entry;
        bool read = readDirectoryEntry(block, start + 2 + 12 * i, &entry);
        noteEntryValue(entry);
        if (!read) continue;
        if (entry.outOfLine) raiseLargestOffset(entry.valueOffset);
        if (listTags) listExifEntry(level, entry);
        applyExifTag(block, entry, level, thumbnail);
    }
    std::uint64_t linkOffset = offset + 2 + 12 * std::uint64_t{entries};
    if (block.holds(linkOffset, 4)) followNextDirectoryLink(block, linkOffset, level);
    storeThumbnail(block, thumbnail);
    return true;
}

void processExifDirectory(const unsigned char* start, const unsigned char* base, unsigned length, int level) {
    TiffBlock block{base, length};
    walkExifDirectory(block, static_cast<std::uint64_t>(start - base), level);
}

void processExifBlock(const unsigned char* segment, unsigned length) {
    focalPlaneXRes = 0;
    focalPlaneUnits = 0;
    exifImageWidth = 0;
    orientationSeen = false;
    beginBlockWalk(segment, length);
    if (listTags) std::printf("Exif header %d bytes long\n", static_cast<int>(length));
    if (!readTiffHeader(segment, length)) return;
    std::int32_t firstOffset = readS32(segment + 12);
    if (firstOffset < 8 || firstOffset > 16) reportError("Suspicious offset of first IFD value");

    BlockLayout& layout = *layoutOf(segment, length);
    layout.motorola = motorolaOrder;
    layout.walked = walkExifDirectory(layout.tiff, readU32(segment + 12), 0);

    decideThumbnailPlace();
    deriveSensorValues();
}

bool exifBlockWalked() { return !lastLayout().attempted || lastLayout().walked; }
