#include "exif/directory_entry.h"

#include <algorithm>
#include <cstring>

#include "exif/byte_order.h"
#include "exif/report_error.h"

namespace {

constexpr std::uint32_t kMaxComponents = 65536;
constexpr int kMaxWalkedDirectories = 512;

// The block the record belongs to, so that a walk started without processExifBlock (a direct
// call of a directory walker) begins a fresh record of its own.
struct WalkRecord {
    const unsigned char* base = nullptr;
    std::uint32_t length = 0;
    std::uint32_t walked[kMaxWalkedDirectories];
    int walkedCount = 0;
    std::uint64_t entriesLeft = 0;
};
thread_local WalkRecord record;

void ensureRecordFor(const TiffBlock& block) {
    if (record.base != block.base || record.length != block.length) beginBlockWalk(block);
}

}  // namespace

bool readDirectoryEntry(const TiffBlock& block, std::uint32_t offset, DirectoryEntry* entry) {
    unsigned char* at = block.base + offset;
    entry->tag = readU16(at);
    entry->format = static_cast<int>(readU16(at + 2));
    entry->count = readU32(at + 4);
    if (entry->format < 1 || entry->format > 12) {
        reportError("Illegal number format %d for tag %04x", entry->format, static_cast<int>(entry->tag));
        return false;
    }
    if (entry->count > kMaxComponents) {
        reportError("Illegal number of components %d for tag %04x", static_cast<int>(entry->count),
                    static_cast<int>(entry->tag));
        return false;
    }
    entry->byteCount = entry->count * static_cast<std::uint32_t>(kBytesPerFormat[entry->format]);
    entry->outOfLine = entry->byteCount > 4;
    if (!entry->outOfLine) {
        entry->value = at + 8;
        return true;
    }
    std::uint32_t valueOffset = readU32(at + 8);
    if (!block.holds(valueOffset, entry->byteCount)) {
        reportError("Illegal value pointer for tag %04x", static_cast<int>(entry->tag));
        return false;
    }
    entry->value = block.base + valueOffset;
    return true;
}

double entryNumber(const TiffBlock& block, const DirectoryEntry& entry) {
    if (!block.holds(block.offsetOf(entry.value), static_cast<std::uint64_t>(kBytesPerFormat[entry.format])))
        return 0;
    return valueAsDouble(entry.value, entry.format);
}

bool directoryFits(const TiffBlock& block, std::uint64_t offset, unsigned* entries) {
    if (!block.holds(offset, 2)) return false;
    *entries = readU16(block.base + offset);
    std::uint64_t end = offset + 2 + 12 * std::uint64_t{*entries};
    return block.holds(end, 4) || end + 2 == block.length || end == block.length;
}

void copyBlockText(char* to, std::size_t fieldSize, const unsigned char* from, std::size_t max,
                   const TiffBlock& block) {
    std::memset(to, 0, fieldSize);
    std::size_t limit = std::min({max, fieldSize - 1, block.bytesFrom(from)});
    for (std::size_t n = 0; n < limit && from[n] != 0; ++n) to[n] = static_cast<char>(from[n]);
}

void beginBlockWalk(const TiffBlock& block) {
    record.base = block.base;
    record.length = block.length;
    record.walkedCount = 0;
    record.entriesLeft = 2 * (std::uint64_t{block.length} / 12) + 64;
}

bool claimDirectory(const TiffBlock& block, std::uint32_t offset) {
    ensureRecordFor(block);
    if (std::find(record.walked, record.walked + record.walkedCount, offset) != record.walked + record.walkedCount) {
        reportError("Directory at offset %d is linked more than once", static_cast<int>(offset));
        return false;
    }
    if (record.walkedCount == kMaxWalkedDirectories) {
        reportError("More than %d directories in the Exif block", kMaxWalkedDirectories);
        return false;
    }
    record.walked[record.walkedCount++] = offset;
    return true;
}

bool chargeEntries(const TiffBlock& block, unsigned entries) {
    ensureRecordFor(block);
    if (entries > record.entriesLeft) {
        reportError("Too many directory entries in the Exif block (%d more)", static_cast<int>(entries));
        return false;
    }
    record.entriesLeft -= entries;
    return true;
}
