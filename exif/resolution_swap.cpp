#include "exif/resolution_swap.h"

#include <optional>

#include "exif/directory_entry.h"
#include "exif/entry_number.h"

namespace {

constexpr unsigned kXResolution = 0x011A, kYResolution = 0x011B;
constexpr std::uint32_t kEntrySize = 12;

// The walked directory whose entries hold `entry`.
std::optional<std::uint32_t> directoryOf(const TiffBlock& block, const BlockLayout& layout, std::uint32_t entry) {
    for (std::uint32_t directory : layout.directories) {
        if (!block.holds(directory, 2) || entry < directory + 2) continue;
        const std::uint64_t entries = block.order.readU16(block.base + directory);
        const std::uint64_t from = directory + 2;
        if (entry < from + kEntrySize * entries && (entry - from) % kEntrySize == 0) return directory;
    }
    return std::nullopt;
}

}  // namespace

bool swapResolutions(unsigned char* segment, std::size_t length, const BlockLayout& layout) {
    if (!layout.walked) return false;
    const TiffBlock block = tiffOf(segment, length, layout.order);
    bool all = true;
    for (std::uint32_t x : layout.xResolutionEntries) {
        const std::optional<std::uint32_t> directory = directoryOf(block, layout, x);
        for (std::uint32_t y : layout.yResolutionEntries) {
            if (!directory || directoryOf(block, layout, y) != directory) continue;
            all = swapNumbers(segment, length, layout, x, kXResolution, y, kYResolution) == Rewrite::Done && all;
            break;
        }
    }
    return all;
}
