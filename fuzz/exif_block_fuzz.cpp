// The Exif reader on hostile input: the input is one APP1 segment from its first length byte,
// its length the input size. It is held as the kept Exif entry of the section table, in a buffer
// of exactly that size so that any read past the segment is caught. Odd-sized inputs run with the
// verbose listing on (to /dev/null), and the chosen date goes through the date parsers. The
// record's promises are checked afterwards; then the thumbnail is replaced (its new size and bytes
// taken from the input) and the Orientation edited, and every directory that could be read before
// must read the same afterwards, apart from the thumbnail's length.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include "exif/block_layout.h"
#include "exif/byte_order.h"
#include "exif/entry_number.h"
#include "exif/exif_block.h"
#include "exif/exif_date.h"
#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "exif/turn_edits.h"
#include "jpegfile/section_table.h"
#include "jpegfile/thumbnail.h"

namespace {

constexpr std::uint32_t kTiffStart = 8;

void require(bool promise) {
    if (!promise) std::abort();
}

bool terminated(const char* field, std::size_t size) { return std::memchr(field, 0, size) != nullptr; }

void checkRecord(std::size_t segmentLength) {
    require(terminated(photoInfo.cameraMake, sizeof photoInfo.cameraMake));
    require(terminated(photoInfo.cameraModel, sizeof photoInfo.cameraModel));
    require(terminated(photoInfo.dateTime, sizeof photoInfo.dateTime));
    require(terminated(photoInfo.comments, sizeof photoInfo.comments));
    require(terminated(photoInfo.gpsLat, sizeof photoInfo.gpsLat));
    require(terminated(photoInfo.gpsLong, sizeof photoInfo.gpsLong));
    require(terminated(photoInfo.gpsAlt + 1, sizeof photoInfo.gpsAlt - 1));
    require(photoInfo.dateTimeCount >= 0 && photoInfo.dateTimeCount <= kMaxDateTimeOffsets);
    require(photoInfo.orientation >= 0 && photoInfo.orientation <= 8);
    if (photoInfo.thumbnailOffset != 0) {
        require(segmentLength >= 8);
        require(std::uint64_t{photoInfo.thumbnailOffset} + photoInfo.thumbnailSize <= segmentLength - 8);
    }
}

// One directory as a reader sees it: each entry's tag, format, count, whether it reads, and its
// value bytes (left out for the entry at `skipped`, whose value is meant to change).
using EntryView = std::tuple<unsigned, int, std::uint32_t, bool, std::vector<unsigned char>>;
using DirectoryView = std::vector<EntryView>;
bool viewDirectory(const JpegSection& exif, std::uint32_t offset, std::int64_t skipped, DirectoryView* entries) {
    const TiffBlock block{exif.bytes + kTiffStart, static_cast<std::uint32_t>(exif.byteCount) - kTiffStart};
    unsigned count = 0;
    if (!directoryFits(block, offset, &count)) return false;
    for (unsigned i = 0; i < count; ++i) {
        DirectoryEntry entry;
        bool read = readDirectoryEntry(block, offset + 2 + 12 * i, &entry);
        std::vector<unsigned char> value;
        if (read && entry.at != skipped) value.assign(entry.value, entry.value + entry.byteCount);
        entries->emplace_back(entry.tag, entry.format, entry.count, read, value);
    }
    return true;
}

// The directories the walk claimed that can be read, by offset.
std::vector<std::pair<std::uint32_t, DirectoryView>> readableDirectories(const JpegSection& exif) {
    std::vector<std::pair<std::uint32_t, DirectoryView>> directories;
    for (std::uint32_t offset : lastLayout().directories) {
        DirectoryView view;
        if (viewDirectory(exif, offset, lastLayout().thumbnail.lengthEntry, &view)) directories.emplace_back(offset, view);
    }
    return directories;
}

void requireReadableAsBefore(const JpegSection& exif, const std::vector<std::pair<std::uint32_t, DirectoryView>>& before) {
    for (const auto& [offset, view] : before) {
        DirectoryView now;
        require(viewDirectory(exif, offset, lastLayout().thumbnail.lengthEntry, &now) && now == view);
    }
}

// A new thumbnail from the input: near the old one's size, larger or smaller, bytes from the input.
std::vector<unsigned char> newThumbnail(const std::uint8_t* data, std::size_t size) {
    long length = static_cast<long>(lastLayout().thumbnail.room) + data[size - 1] % 48 - 24;
    std::vector<unsigned char> bytes(length > 0 ? static_cast<std::size_t>(length) : 0);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = data[i % size];
    return bytes;
}

void replaceAndEdit(const std::uint8_t* data, std::size_t size) {
    JpegSection& exif = sectionTable.entries[0];
    const auto before = readableDirectories(exif);
    const std::vector<unsigned char> original(exif.bytes, exif.bytes + exif.byteCount), turned = newThumbnail(data, size);
    const std::string refusal = replaceThumbnail(turned);
    if (refusal.empty()) {
        require(thumbnailBytes() == turned);
        requireReadableAsBefore(exif, before);
        std::uint32_t length = 0;
        const BlockLayout& layout = lastLayout();
        require(readNumber(exif.bytes, static_cast<std::size_t>(exif.byteCount), layout,
                           static_cast<std::uint32_t>(layout.thumbnail.lengthEntry), 0x0202, &length) &&
                length == turned.size());
    } else {
        require(std::vector<unsigned char>(exif.bytes, exif.bytes + exif.byteCount) == original);
    }
    if (setOrientationUpright(exif.bytes, static_cast<std::size_t>(exif.byteCount))) {
        const BlockLayout& layout = lastLayout();
        for (std::uint32_t entry : layout.orientationEntries) {
            std::uint32_t orientation = 0;
            require(readNumber(exif.bytes, static_cast<std::size_t>(exif.byteCount), layout, entry, 0x0112,
                               &orientation) && orientation == 1);
        }
    }
    processExifBlock(exif.bytes, static_cast<unsigned>(exif.byteCount));  // the changed block reads as well
    require(exifBlockWalked());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0xFFFF) return 0;  // no segment is longer
    clearSectionTable();
    resetPhotoInfo("fuzz.jpg");
    clearReportedErrors();
    motorolaOrder = 0;
    listTags = size % 2;
    auto* segment = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(segment, data, size);
    sectionTable.entries[0] = JpegSection{segment, 0xE1, static_cast<std::int32_t>(size)};
    sectionTable.count = 1;
    processExifBlock(segment, static_cast<unsigned>(size));
    listTags = 0;
    checkRecord(size);
    struct tm time;
    parseExifDateTime(&time, photoInfo.dateTime);
    isRealExifDate(photoInfo.dateTime);
    if (exifBlockWalked() && lastLayout().walked) replaceAndEdit(data, size);
    releaseSections();
    return 0;
}
