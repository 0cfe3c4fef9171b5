#include "exif/gps_directory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "exif/tag_listing.h"

namespace {

enum GpsTag : unsigned { kLatitudeRef = 1, kLatitude = 2, kLongitudeRef = 3, kLongitude = 4, kAltitudeRef = 5, kAltitude = 6 };

constexpr int kCoordinateStart = 2;  // reference letter, a space, then the text
// Digits of precision above 6 (denominators of 10^7 and more) are held at 6, so that the width
// stays one decimal digit and the text stays short.
constexpr int kMaxCoordinateDigits = 6;

int decimalDigits(std::int32_t denominator) {
    int digits = 0;
    while (denominator > 1) {
        denominator /= 10;
        ++digits;
    }
    return digits < kMaxCoordinateDigits ? digits : kMaxCoordinateDigits;
}

// "%0.0fd %0.0fm %0.0fs", each conversion's width and precision set from the denominator of its
// component: a denominator of 1 gives width 2 and precision 0, 10 gives 4 and 1, 100 gives 5 and 2.
// Components reaching past the block count as 0 with denominator 1.
void formatCoordinate(ExifWalk& walk, const DirectoryEntry& entry, char* field, std::size_t fieldSize) {
    const TiffBlock& block = walk.block;
    if (entry.format != kFormatRational)
        walk.report("Inappropriate format (%d) for GPS coordinates!", entry.format);
    char format[] = "%0.0fd %0.0fm %0.0fs";
    const int conversionStart[3] = {0, 7, 14};
    double values[3];
    const std::uint64_t size = kBytesPerFormat[entry.format];
    for (int k = 0; k < 3; ++k) {
        std::uint64_t component = block.offsetOf(entry.value) + size * k;
        std::int32_t denominator = block.holds(component, 8) ? block.order.readS32(block.base + component + 4) : 1;
        int digits = decimalDigits(denominator);
        format[conversionStart[k] + 1] = static_cast<char>('0' + 2 + digits + (digits ? 1 : 0));
        format[conversionStart[k] + 3] = static_cast<char>('0' + digits);
        values[k] = block.holds(component, size) ? valueAsDouble(block.base + component, entry.format, block.order) : 0;
    }
    char text[128];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, format, values[0], values[1], values[2]);
#pragma GCC diagnostic pop
    // Bytes from kCoordinateStart on; the last byte of the field stays a terminating zero.
    std::size_t length = std::min(std::strlen(text), fieldSize - kCoordinateStart - 1);
    std::memset(field + kCoordinateStart, 0, fieldSize - kCoordinateStart);
    std::memcpy(field + kCoordinateStart, text, length);
}

void applyGpsTag(ExifWalk& walk, const DirectoryEntry& entry) {
    PhotoInfo& info = walk.info;
    switch (entry.tag) {
    case kLatitudeRef: info.gpsLat[0] = static_cast<char>(entry.value[0]); break;
    case kLongitudeRef: info.gpsLong[0] = static_cast<char>(entry.value[0]); break;
    case kLatitude: formatCoordinate(walk, entry, info.gpsLat, sizeof info.gpsLat); break;
    case kLongitude: formatCoordinate(walk, entry, info.gpsLong, sizeof info.gpsLong); break;
    case kAltitudeRef: info.gpsAlt[0] = entry.value[0] ? '-' : ' '; break;
    case kAltitude:
        std::snprintf(info.gpsAlt + 1, sizeof info.gpsAlt - 1, "%dm",
                      static_cast<int>(truncateToInt32(entryNumber(walk.block, entry, &walk.notes))));
        break;
    default: break;
    }
}

}  // namespace

void processGpsDirectory(ExifWalk& walk, std::uint64_t offset) {
    const TiffBlock& block = walk.block;
    if (block.holds(offset, 0) && claimDirectory(walk, static_cast<std::uint32_t>(offset)) != DirectoryClaim::First)
        return;

    PhotoInfo& info = walk.info;
    info.gpsInfoPresent = 1;
    std::memcpy(info.gpsLat, "? ?", 4);
    std::memcpy(info.gpsLong, "? ?", 4);
    info.gpsAlt[0] = 0;

    unsigned entries = 0;
    if (!directoryFits(block, offset, &entries)) {
        walk.report("Illegally sized directory");
        noteUnreadDirectory(walk, offset);
        return;
    }
    if (!chargeEntries(walk, entries)) return;
    noteDirectory(walk, static_cast<std::uint32_t>(offset), entries);
    for (unsigned i = 0; i < entries; ++i) {
        DirectoryEntry entry;
        bool read = readDirectoryEntry(block, static_cast<std::uint32_t>(offset) + 2 + 12 * i, &entry, &walk.notes);
        noteEntryValue(walk, entry);
        if (!read) continue;
        applyGpsTag(walk, entry);
        if (walk.listing) listGpsEntry(*walk.listing, entry, block.order);
    }
}
