#include "exif/entry_number.h"

#include <algorithm>

#include "exif/directory_entry.h"

namespace {

constexpr std::size_t kTiffStart = 8;  // length bytes and "Exif\0\0"
constexpr std::uint32_t kEntrySize = 12;

// The entry at `entry` of the TIFF data, when it is whole, carries `tag`, has a component and
// its value lies inside.
bool locate(const TiffBlock& block, std::uint32_t entry, unsigned tag, DirectoryEntry* found) {
    return block.holds(entry, kEntrySize) && readDirectoryEntry(block, entry, found, nullptr) && found->tag == tag &&
           found->count > 0;
}

// Whether the bytes [start, end) belong to one thing the block refers to alone (the entry's own
// directory, or its own value), so that writing there changes nothing else.
bool ownedAlone(const BlockLayout& layout, std::uint64_t start, std::uint64_t end) {
    int owners = 0;
    for (const ByteSpan& span : layout.referenced) owners += span.start < end && start < span.end ? 1 : 0;
    return owners == 1;
}

// The entry's first value component, where writing it changes nothing else of the block.
bool writablePlace(const TiffBlock& block, const BlockLayout& layout, std::uint32_t entry, unsigned tag,
                   DirectoryEntry* found) {
    if (!locate(block, entry, tag, found) || !formatHolds(found->format, 0)) return false;
    const std::uint64_t at = block.offsetOf(found->value);
    return ownedAlone(layout, at, at + kBytesPerFormat[found->format]);
}

void store(unsigned char* at, int format, std::uint32_t value, TiffByteOrder order) {
    switch (format) {
    case kFormatByte:
    case kFormatSByte: at[0] = static_cast<unsigned char>(value); break;
    case kFormatShort:
    case kFormatSShort: order.writeU16(at, value); break;
    case kFormatRational:
    case kFormatSRational:
        order.writeU32(at, value);
        order.writeU32(at + 4, 1);
        break;
    default: order.writeU32(at, value); break;  // LONG, SLONG
    }
}

}  // namespace

bool formatHolds(int format, std::uint32_t value) {
    switch (format) {
    case kFormatByte: return value <= 0xFF;
    case kFormatSByte: return value <= 0x7F;
    case kFormatShort: return value <= 0xFFFF;
    case kFormatSShort: return value <= 0x7FFF;
    case kFormatLong: return true;
    case kFormatSLong:
    case kFormatRational:
    case kFormatSRational: return value <= 0x7FFFFFFF;
    default: return false;
    }
}

Rewrite rewriteNumbers(unsigned char* segment, std::size_t length, const BlockLayout& layout,
                    const std::vector<NumberEdit>& edits) {
    const TiffBlock block = tiffOf(segment, length, layout.order);
    // Every place is found before the first write, so that a write cannot change what a later
    // edit finds (in a block whose values overlap its entries).
    std::vector<DirectoryEntry> found(edits.size());
    for (std::size_t i = 0; i < edits.size(); ++i)
        if (!writablePlace(block, layout, edits[i].entry, edits[i].tag, &found[i])) return Rewrite::NotWritable;
    for (std::size_t i = 0; i < edits.size(); ++i)
        if (!formatHolds(found[i].format, edits[i].value)) return Rewrite::TooLarge;
    for (std::size_t i = 0; i < edits.size(); ++i)
        store(segment + kTiffStart + block.offsetOf(found[i].value), found[i].format, edits[i].value, layout.order);
    return Rewrite::Done;
}

Rewrite swapNumbers(unsigned char* segment, std::size_t length, const BlockLayout& layout, std::uint32_t first,
                    unsigned firstTag, std::uint32_t second, unsigned secondTag) {
    const TiffBlock block = tiffOf(segment, length, layout.order);
    DirectoryEntry a, b;
    if (!writablePlace(block, layout, first, firstTag, &a) || !writablePlace(block, layout, second, secondTag, &b) ||
        a.format != b.format || a.value == b.value)
        return Rewrite::NotWritable;
    std::swap_ranges(segment + kTiffStart + block.offsetOf(a.value),
                     segment + kTiffStart + block.offsetOf(a.value) + kBytesPerFormat[a.format],
                     segment + kTiffStart + block.offsetOf(b.value));
    return Rewrite::Done;
}

bool readNumber(const unsigned char* segment, std::size_t length, const BlockLayout& layout, std::uint32_t entry,
                unsigned tag, std::uint32_t* value) {
    const TiffBlock block = tiffOf(segment, length, layout.order);
    DirectoryEntry found;
    // formatHolds(format, 0): one of the integer and rational formats that this program writes.
    if (!locate(block, entry, tag, &found) || !formatHolds(found.format, 0)) return false;
    double number = valueAsDouble(found.value, found.format, layout.order);
    if (!(number >= 0 && number <= UINT32_MAX)) return false;
    *value = static_cast<std::uint32_t>(number);
    return true;
}
