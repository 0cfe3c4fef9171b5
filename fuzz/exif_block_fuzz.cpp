// The Exif reader on hostile input: the input is one APP1 segment from its first length byte,
// its length the input size, held in a buffer of exactly that size so that any read past the
// segment is caught. The verbose listing is made too, and the chosen date goes through the date
// parsers. The record's promises are checked afterwards; then the thumbnail is replaced (its new
// size and bytes taken from the input) and the Orientation edited, and every directory that could
// be read before must read the same afterwards, apart from the thumbnail's length.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include "exif/directory_entry.h"
#include "exif/entry_number.h"
#include "exif/exif_block.h"
#include "exif/exif_date.h"
#include "exif/turn_edits.h"
#include "jpegfile/segment_kind.h"
#include "jpegfile/thumbnail.h"

namespace {

using Bytes = std::vector<unsigned char>;

void require(bool promise) {
    if (!promise) std::abort();
}

bool terminated(const char* field, std::size_t size) { return std::memchr(field, 0, size) != nullptr; }

void checkRecord(const PhotoInfo& photoInfo, std::size_t segmentLength) {
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
bool viewDirectory(const PhotoRecord& record, std::uint32_t offset, DirectoryView* entries) {
    const Bytes& exif = record.exif()->bytes;
    const std::int64_t skipped = record.exifLayout.thumbnail.lengthEntry;
    const TiffBlock block = tiffOf(exif.data(), exif.size(), record.exifLayout.order);
    unsigned count = 0;
    if (!directoryFits(block, offset, &count)) return false;
    for (unsigned i = 0; i < count; ++i) {
        DirectoryEntry entry;
        bool read = readDirectoryEntry(block, offset + 2 + 12 * i, &entry, nullptr);
        std::vector<unsigned char> value;
        if (read && entry.at != skipped) value.assign(entry.value, entry.value + entry.byteCount);
        entries->emplace_back(entry.tag, entry.format, entry.count, read, value);
    }
    return true;
}

// The directories the walk claimed that can be read, by offset.
std::vector<std::pair<std::uint32_t, DirectoryView>> readableDirectories(const PhotoRecord& record) {
    std::vector<std::pair<std::uint32_t, DirectoryView>> directories;
    for (std::uint32_t offset : record.exifLayout.directories) {
        DirectoryView view;
        if (viewDirectory(record, offset, &view)) directories.emplace_back(offset, view);
    }
    return directories;
}

void requireReadableAsBefore(const PhotoRecord& record, const std::vector<std::pair<std::uint32_t, DirectoryView>>& before) {
    for (const auto& [offset, view] : before) {
        DirectoryView now;
        require(viewDirectory(record, offset, &now) && now == view);
    }
}

// A new thumbnail from the input: near the old one's size, larger or smaller, bytes from the input.
std::vector<unsigned char> newThumbnail(const PhotoRecord& record, const std::uint8_t* data, std::size_t size) {
    long length = static_cast<long>(record.exifLayout.thumbnail.room) + data[size - 1] % 48 - 24;
    std::vector<unsigned char> bytes(length > 0 ? static_cast<std::size_t>(length) : 0);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = data[i % size];
    return bytes;
}

void replaceAndEdit(PhotoRecord& record, const std::uint8_t* data, std::size_t size) {
    const auto before = readableDirectories(record);
    const Bytes original = record.exif()->bytes, turned = newThumbnail(record, data, size);
    const std::string refusal = replaceThumbnail(record, turned);
    Bytes& exif = record.exif()->bytes;
    const BlockLayout& layout = record.exifLayout;
    if (refusal.empty()) {
        require(thumbnailBytes(record) == turned);
        requireReadableAsBefore(record, before);
        std::uint32_t length = 0;
        require(readNumber(exif.data(), exif.size(), layout, static_cast<std::uint32_t>(layout.thumbnail.lengthEntry), 0x0202,
                           &length) &&
                length == turned.size());
    } else {
        require(exif == original);
    }
    if (setOrientation(exif.data(), exif.size(), layout, 1)) {
        for (std::uint32_t entry : layout.orientationEntries) {
            std::uint32_t orientation = 0;
            require(readNumber(exif.data(), exif.size(), layout, entry, 0x0112, &orientation) && orientation == 1);
        }
    }
    PhotoInfo info;
    resetPhotoInfo(info, "fuzz.jpg");
    ReaderNotes notes;
    require(processExifBlock(exif.data(), static_cast<unsigned>(exif.size()), info, notes).walked);  // the changed block reads as well
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0xFFFF) return 0;  // no segment is longer
    PhotoRecord record;
    resetPhotoInfo(record.info, "fuzz.jpg");
    Segment segment;
    segment.marker = 0xE1;
    segment.bytes.assign(data, data + size);  // exactly sized: the sanitizers see any overread
    std::string listing;
    record.exifLayout = processExifBlock(segment.bytes.data(), static_cast<unsigned>(size), record.info, record.notes,
                                         size % 2 ? &listing : nullptr);
    checkRecord(record.info, size);
    struct tm time;
    parseExifDateTime(&time, record.info.dateTime);
    isRealExifDate(record.info.dateTime);
    if (size < 2 || !record.exifLayout.walked) return 0;
    record.segments.push_back(std::move(segment));
    record.exifSegment = 0;
    replaceAndEdit(record, data, size);
    return 0;
}
