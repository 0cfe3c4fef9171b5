#include "exif/block_layout.h"

#include <algorithm>

#include "exif/report_error.h"

namespace {

constexpr std::size_t kMaxWalkedDirectories = 512;
constexpr std::uint64_t kTiffHeaderSize = 8;
constexpr std::uint64_t kSegmentHeaderSize = 16;  // length bytes, "Exif\0\0", TIFF header
// No Exif segment reaches this far: a reference beyond it can never come to lie inside a block.
constexpr std::uint64_t kReachOfAnyBlock = 0x10000;

thread_local BlockLayout layout;

void startRecord(const unsigned char* segment, std::size_t length, const TiffBlock& tiff) {
    layout.segment = segment;
    layout.segmentLength = length;
    layout.tiff = tiff;
    layout.motorola = 0;
    layout.attempted = segment != nullptr;
    layout.walked = false;
    layout.incomplete = false;
    layout.directories.clear();
    layout.referenced.clear();
    layout.thumbnail = WalkedThumbnail{};
    layout.orientationEntries.clear();
    layout.widthEntries.clear();
    layout.heightEntries.clear();
    layout.entriesLeft = 2 * (std::uint64_t{tiff.length} / 12) + 64;
}

void ensureRecordFor(const TiffBlock& block) {
    if (layout.tiff.base != block.base || layout.tiff.length != block.length) startRecord(nullptr, 0, block);
}

void noteReference(std::uint64_t start, std::uint64_t count) {
    if (start < kReachOfAnyBlock) layout.referenced.push_back({start, start + count});
}

}  // namespace

BlockLayout* layoutOf(const unsigned char* segment, std::size_t length) {
    bool same = segment != nullptr && layout.segment == segment && layout.segmentLength == length;
    return same ? &layout : nullptr;
}

const BlockLayout& lastLayout() { return layout; }

void beginBlockWalk(const unsigned char* segment, std::size_t length) {
    bool hasTiff = length >= kSegmentHeaderSize;
    startRecord(segment, length, TiffBlock{hasTiff ? segment + kTiffHeaderSize : nullptr,
                                           hasTiff ? static_cast<std::uint32_t>(length - kTiffHeaderSize) : 0});
    noteReference(0, kTiffHeaderSize);
}

void forgetWalkedBlock() { startRecord(nullptr, 0, TiffBlock{nullptr, 0}); }

DirectoryClaim claimDirectory(const TiffBlock& block, std::uint32_t offset) {
    ensureRecordFor(block);
    const std::vector<std::uint32_t>& walked = layout.directories;
    if (std::find(walked.begin(), walked.end(), offset) != walked.end()) {
        reportError("Directory at offset %d is linked more than once", static_cast<int>(offset));
        return DirectoryClaim::Repeat;
    }
    if (walked.size() == kMaxWalkedDirectories) {
        reportError("More than %d directories in the Exif block", static_cast<int>(kMaxWalkedDirectories));
        noteUnreadDirectory(block, offset);
        return DirectoryClaim::Refused;
    }
    layout.directories.push_back(offset);
    return DirectoryClaim::First;
}

bool chargeEntries(const TiffBlock& block, unsigned entries) {
    ensureRecordFor(block);
    if (entries > layout.entriesLeft) {
        reportError("Too many directory entries in the Exif block (%d more)", static_cast<int>(entries));
        layout.incomplete = true;
        return false;
    }
    layout.entriesLeft -= entries;
    return true;
}

void noteDirectory(const TiffBlock& block, std::uint32_t offset, unsigned entries) {
    std::uint64_t end = std::min<std::uint64_t>(offset + 2 + 12 * std::uint64_t{entries} + 4, block.length);
    noteReference(offset, end - offset);
}

void noteUnreadDirectory(const TiffBlock& block, std::uint64_t offset) {
    ensureRecordFor(block);
    layout.incomplete = true;
    noteReference(offset, 2);
}

void noteEntryValue(const DirectoryEntry& entry) {
    if (entry.outOfLine) noteReference(entry.valueOffset, entry.byteCount);
}

void noteThumbnail(std::uint32_t offset, std::uint32_t size, std::int64_t lengthEntry) {
    layout.thumbnail.offset = offset;
    layout.thumbnail.size = size;
    layout.thumbnail.lengthEntry = lengthEntry;
}

void noteRewritableEntry(const DirectoryEntry& entry) {
    switch (entry.tag) {
    case 0x0112: layout.orientationEntries.push_back(entry.at); break;
    case 0xA002: layout.widthEntries.push_back(entry.at); break;
    case 0xA003: layout.heightEntries.push_back(entry.at); break;
    default: break;
    }
}

void decideThumbnailPlace() {
    WalkedThumbnail& thumbnail = layout.thumbnail;
    thumbnail.place = ThumbnailPlace::None;
    if (thumbnail.offset != 0 && thumbnail.size != 0 && thumbnail.lengthEntry >= 0) {
        const std::uint64_t start = thumbnail.offset, end = start + thumbnail.size;
        bool behind = layout.incomplete, overlapping = false;
        for (const ByteSpan& span : layout.referenced) {
            if (span.end <= start) continue;
            if (span.start >= end)
                behind = true;
            else
                overlapping = true;
        }
        thumbnail.place = overlapping ? ThumbnailPlace::Neither : behind ? ThumbnailPlace::InPlaceOnly : ThumbnailPlace::AtEnd;
        thumbnail.room = thumbnail.size;
    }
    photoInfo.thumbnailPlace = thumbnail.place;
    // Without a thumbnail the flag keeps its older sense: no value or link lies behind offset 0.
    photoInfo.thumbnailAtEnd = thumbnail.place == ThumbnailPlace::AtEnd ||
                               (thumbnail.place == ThumbnailPlace::None &&
                                photoInfo.thumbnailOffset >= photoInfo.largestExifOffset);
}
