#include "exif/block_layout.h"

#include <algorithm>

#include "exif/exif_walk.h"

namespace {

constexpr std::size_t kMaxWalkedDirectories = 512;
constexpr std::uint64_t kTiffHeaderSize = 8;
// No Exif segment reaches this far: a reference beyond it can never come to lie inside a block.
constexpr std::uint64_t kReachOfAnyBlock = 0x10000;

void noteReference(BlockLayout& layout, std::uint64_t start, std::uint64_t count) {
    if (start < kReachOfAnyBlock) layout.referenced.push_back({start, start + count});
}

}  // namespace

void beginLayout(BlockLayout& layout, std::uint32_t tiffLength) {
    layout.entriesLeft = 2 * (std::uint64_t{tiffLength} / 12) + 64;
    noteReference(layout, 0, kTiffHeaderSize);
}

DirectoryClaim claimDirectory(ExifWalk& walk, std::uint32_t offset) {
    const std::vector<std::uint32_t>& walked = walk.layout.directories;
    if (std::find(walked.begin(), walked.end(), offset) != walked.end()) {
        walk.report("Directory at offset %d is linked more than once", static_cast<int>(offset));
        return DirectoryClaim::Repeat;
    }
    if (walked.size() == kMaxWalkedDirectories) {
        walk.report("More than %d directories in the Exif block", static_cast<int>(kMaxWalkedDirectories));
        noteUnreadDirectory(walk, offset);
        return DirectoryClaim::Refused;
    }
    walk.layout.directories.push_back(offset);
    return DirectoryClaim::First;
}

bool chargeEntries(ExifWalk& walk, unsigned entries) {
    if (entries > walk.layout.entriesLeft) {
        walk.report("Too many directory entries in the Exif block (%d more)", static_cast<int>(entries));
        walk.layout.incomplete = true;
        return false;
    }
    walk.layout.entriesLeft -= entries;
    return true;
}

void noteDirectory(ExifWalk& walk, std::uint32_t offset, unsigned entries) {
    std::uint64_t end = std::min<std::uint64_t>(offset + 2 + 12 * std::uint64_t{entries} + 4, walk.block.length);
    noteReference(walk.layout, offset, end - offset);
}

void noteUnreadDirectory(ExifWalk& walk, std::uint64_t offset) {
    walk.layout.incomplete = true;
    noteReference(walk.layout, offset, 2);
}

void noteEntryValue(ExifWalk& walk, const DirectoryEntry& entry) {
    if (entry.outOfLine) noteReference(walk.layout, entry.valueOffset, entry.byteCount);
}

void noteThumbnail(ExifWalk& walk, std::uint32_t offset, std::uint32_t size, std::int64_t lengthEntry) {
    WalkedThumbnail& thumbnail = walk.layout.thumbnail;
    thumbnail.offset = offset;
    thumbnail.size = size;
    thumbnail.lengthEntry = lengthEntry;
}

void noteRewritableEntry(ExifWalk& walk, const DirectoryEntry& entry) {
    switch (entry.tag) {
    case 0x0112: walk.layout.orientationEntries.push_back(entry.at); break;
    case 0xA002: walk.layout.widthEntries.push_back(entry.at); break;
    case 0xA003: walk.layout.heightEntries.push_back(entry.at); break;
    case 0x011A: walk.layout.xResolutionEntries.push_back(entry.at); break;
    case 0x011B: walk.layout.yResolutionEntries.push_back(entry.at); break;
    default: break;
    }
}

void decideThumbnailPlace(ExifWalk& walk) {
    WalkedThumbnail& thumbnail = walk.layout.thumbnail;
    thumbnail.place = ThumbnailPlace::None;
    if (thumbnail.offset != 0 && thumbnail.size != 0 && thumbnail.lengthEntry >= 0) {
        const std::uint64_t start = thumbnail.offset, end = start + thumbnail.size;
        bool behind = walk.layout.incomplete, overlapping = false;
        for (const ByteSpan& span : walk.layout.referenced) {
            if (span.end <= start) continue;
            if (span.start >= end)
                behind = true;
            else
                overlapping = true;
        }
        thumbnail.place = overlapping ? ThumbnailPlace::Neither : behind ? ThumbnailPlace::InPlaceOnly : ThumbnailPlace::AtEnd;
        thumbnail.room = thumbnail.size;
    }
    PhotoInfo& info = walk.info;
    info.thumbnailPlace = thumbnail.place;
    // Without a thumbnail the flag keeps its older sense: no value or link lies behind offset 0.
    info.thumbnailAtEnd = thumbnail.place == ThumbnailPlace::AtEnd ||
                          (thumbnail.place == ThumbnailPlace::None && info.thumbnailOffset >= info.largestExifOffset);
}
