#include "exif/directory_entry.h"

#include <algorithm>
#include <cstring>

#include "exif/reader_notes.h"

namespace {

constexpr std::uint32_t kMaxComponents = 65536;
constexpr std::size_t kTiffStart = 8;  // length bytes and "Exif\0\0"

void report(ReaderNotes* notes, const char* format, int first, int second = 0) {
    if (notes) notes->reportError(format, first, second);
}

}  // namespace

TiffBlock tiffOf(const unsigned char* segment, std::size_t length, TiffByteOrder order) {
    if (length <= kTiffStart || length - kTiffStart > UINT32_MAX) return TiffBlock{segment, 0, order};
    return TiffBlock{segment + kTiffStart, static_cast<std::uint32_t>(length - kTiffStart), order};
}

bool readDirectoryEntry(const TiffBlock& block, std::uint32_t offset, DirectoryEntry* entry, ReaderNotes* notes) {
    const unsigned char* at = block.base + offset;
    entry->at = offset;
    entry->tag = block.order.readU16(at);
    entry->format = static_cast<int>(block.order.readU16(at + 2));
    entry->count = block.order.readU32(at + 4);
    if (entry->format < 1 || entry->format > 12) {
        report(notes, "Illegal number format %d for tag %04x", entry->format, static_cast<int>(entry->tag));
        return false;
    }
    if (entry->count > kMaxComponents) {
        report(notes, "Illegal number of components %d for tag %04x", static_cast<int>(entry->count),
               static_cast<int>(entry->tag));
        return false;
    }
    entry->byteCount = entry->count * static_cast<std::uint32_t>(kBytesPerFormat[entry->format]);
    entry->outOfLine = entry->byteCount > 4;
    if (!entry->outOfLine) {
        entry->value = at + 8;
        return true;
    }
    entry->valueOffset = block.order.readU32(at + 8);
    if (!block.holds(entry->valueOffset, entry->byteCount)) {
        report(notes, "Illegal value pointer for tag %04x", static_cast<int>(entry->tag));
        return false;
    }
    entry->value = block.base + entry->valueOffset;
    return true;
}

double entryNumber(const TiffBlock& block, const DirectoryEntry& entry, ReaderNotes* notes) {
    if (!block.holds(block.offsetOf(entry.value), static_cast<std::uint64_t>(kBytesPerFormat[entry.format])))
        return 0;
    return valueAsDouble(entry.value, entry.format, block.order, notes);
}

bool directoryFits(const TiffBlock& block, std::uint64_t offset, unsigned* entries) {
    if (!block.holds(offset, 2)) return false;
    *entries = block.order.readU16(block.base + offset);
    std::uint64_t end = offset + 2 + 12 * std::uint64_t{*entries};
    return block.holds(end, 4) || end + 2 == block.length || end == block.length;
}

void copyBlockText(char* to, std::size_t fieldSize, const unsigned char* from, std::size_t max,
                   const TiffBlock& block) {
    std::memset(to, 0, fieldSize);
    std::size_t limit = std::min({max, fieldSize - 1, block.bytesFrom(from)});
    for (std::size_t n = 0; n < limit && from[n] != 0; ++n) to[n] = static_cast<char>(from[n]);
}
