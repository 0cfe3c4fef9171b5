#include "jpegfile/further_pictures.h"

#include <algorithm>
#include <cstdint>

#include "jpegfile/markers.h"

namespace {

constexpr std::uint64_t kMaxField = 0xFFFFFFFFu;

bool fail(std::string* reason, const std::string& text) {
    *reason = text;
    return false;
}

std::string pictureName(std::size_t entry) { return "picture " + std::to_string(entry + 1) + " of the multi-picture index"; }
std::string itemName(std::size_t item) { return "item " + std::to_string(item + 1) + " of the XMP container directory"; }

constexpr char kJpegMime[] = "image/jpeg";

// The JPEG items of the container directory that no indexed picture stands for; false with a
// reason for one that lies outside the file or in the first picture, is no JPEG stream although
// its type says so, or is a picture of a format that cannot be turned.
bool placeItems(const unsigned char* source, std::size_t sourceSize, std::size_t firstPictureEnd,
                const std::vector<ContainerItem>& items, std::vector<MovedPicture>* placed, std::string* reason) {
    for (const ContainerItem& item : items) {
        const bool listed = std::any_of(placed->begin(), placed->end(),
                                        [&](const MovedPicture& p) { return p.sourceStart == item.start; });
        if (listed) continue;
        if (item.mime.rfind("image/", 0) != 0) continue;  // a video, another kind of data
        if (item.mime != kJpegMime)
            return fail(reason, itemName(item.item) + " is a picture of type " + item.mime + ", which cannot be turned");
        if (item.start + item.length > sourceSize) return fail(reason, itemName(item.item) + " lies outside the file");
        if (item.start < firstPictureEnd) return fail(reason, itemName(item.item) + " lies inside the first picture");
        if (!startsWithSoi(source + item.start, static_cast<std::size_t>(item.length)))
            return fail(reason, itemName(item.item) + " is not a JPEG picture");
        MovedPicture picture;
        picture.entry = item.item;
        picture.indexed = false;
        picture.name = itemName(item.item);
        picture.sourceStart = static_cast<std::size_t>(item.start);
        picture.sourceSize = static_cast<std::size_t>(item.length);
        placed->push_back(picture);
    }
    return true;
}

// The stored further pictures where the index places them, checked against the file and each
// other, in file order; each one's own bytes end at its EOI.
bool placePictures(const unsigned char* source, std::size_t sourceSize, std::size_t firstPictureEnd,
                   const MpIndex& index, std::size_t baseInSource, const std::vector<ContainerItem>& items,
                   std::vector<MovedPicture>* placed, std::string* reason) {
    for (std::size_t i = 1; i < index.entries.size(); ++i) {
        const MpEntry& entry = index.entries[i];
        if (entry.offset == 0) continue;
        std::uint64_t start = std::uint64_t{baseInSource} + entry.offset;
        if (start + entry.size > sourceSize) return fail(reason, pictureName(i) + " lies outside the file");
        if (start < firstPictureEnd) return fail(reason, pictureName(i) + " lies inside the first picture");
        if (!isJpegEntry(entry)) return fail(reason, pictureName(i) + " is not listed as a JPEG picture");
        if (!startsWithSoi(source + start, entry.size)) return fail(reason, pictureName(i) + " is not a JPEG picture");
        MovedPicture picture;
        picture.entry = i;
        picture.name = pictureName(i);
        picture.sourceStart = static_cast<std::size_t>(start);
        picture.sourceSize = entry.size;  // as claimed, until its own end is found
        placed->push_back(picture);
    }
    if (!placeItems(source, sourceSize, firstPictureEnd, items, placed, reason)) return false;
    std::sort(placed->begin(), placed->end(),
              [](const MovedPicture& a, const MovedPicture& b) { return a.sourceStart < b.sourceStart; });
    for (std::size_t i = 1; i < placed->size(); ++i) {
        const MovedPicture& before = (*placed)[i - 1];
        if ((*placed)[i].sourceStart < before.sourceStart + before.sourceSize)
            return fail(reason, (*placed)[i].name + " overlaps " + before.name);
    }
    for (MovedPicture& picture : *placed) {
        const std::size_t ownEnd = segmentsAfterFirstScan(source + picture.sourceStart, picture.sourceSize).pictureEnd;
        if (ownEnd == 0) return fail(reason, picture.name + " does not end within the bytes the photo gives it");
        picture.claimedBeyond = picture.sourceSize - ownEnd;
        picture.sourceSize = ownEnd;
    }
    return true;
}

}  // namespace

bool rebuildTrailingRegion(const unsigned char* source, std::size_t sourceSize, std::size_t firstPictureEnd,
                           const MpIndex& index, std::size_t baseInSource, const JpegStreamTurner& turn,
                           TrailingRegion* region, std::string* reason, const std::vector<ContainerItem>& items) {
    *region = TrailingRegion{};
    if (firstPictureEnd > sourceSize) return fail(reason, "the first picture ends behind the end of the file");
    std::vector<MovedPicture> placed;
    if (!placePictures(source, sourceSize, firstPictureEnd, index, baseInSource, items, &placed, reason)) return false;
    TrailingRegion rebuilt;
    std::size_t cursor = firstPictureEnd;
    for (MovedPicture& picture : placed) {
        rebuilt.bytes.insert(rebuilt.bytes.end(), source + cursor, source + picture.sourceStart);
        std::vector<unsigned char> turned;
        std::string why;
        if (!turn(source + picture.sourceStart, picture.sourceSize, &turned, &why))
            return fail(reason, picture.name + " cannot be turned: " + why);
        picture.position = rebuilt.bytes.size();
        picture.size = turned.size();
        rebuilt.bytes.insert(rebuilt.bytes.end(), turned.begin(), turned.end());
        cursor = picture.sourceStart + picture.sourceSize;
    }
    rebuilt.bytes.insert(rebuilt.bytes.end(), source + cursor, source + sourceSize);
    rebuilt.pictures = std::move(placed);
    *region = std::move(rebuilt);
    return true;
}

bool findMpfSegment(const unsigned char* jpeg, std::size_t size, SegmentSpan* span) {
    for (const SegmentSpan& segment : segmentsBeforeScan(jpeg, size)) {
        if (segment.markerCode == kApp2 && isMpfPayload(jpeg + segment.payloadAt, segment.payloadSize)) {
            *span = segment;
            return true;
        }
    }
    return false;
}

bool patchMpIndex(unsigned char* firstPicture, std::size_t size, const TrailingRegion& region, std::string* reason) {
    if (std::none_of(region.pictures.begin(), region.pictures.end(), [](const MovedPicture& p) { return p.indexed; }))
        return true;
    SegmentSpan span;
    if (!findMpfSegment(firstPicture, size, &span)) return fail(reason, "the turned picture has no multi-picture index");
    unsigned char* payload = firstPicture + span.payloadAt;
    MpIndex index;
    if (!readMpIndex(payload, span.payloadSize, &index, reason)) return false;
    if (index.entries.empty()) return region.pictures.empty() || fail(reason, "the multi-picture index lists no pictures");
    const std::uint64_t base = span.payloadAt + kMpBaseInPayload;
    if (size > kMaxField) return fail(reason, "the first picture is too large for the multi-picture index");
    index.entries[0].size = static_cast<std::uint32_t>(size);
    for (const MovedPicture& picture : region.pictures) {
        if (!picture.indexed) continue;
        std::uint64_t offset = std::uint64_t{size} + picture.position - base;
        if (picture.entry >= index.entries.size())
            return fail(reason, "the multi-picture index no longer lists " + pictureName(picture.entry));
        const std::uint64_t claimed = std::uint64_t{picture.size} + picture.claimedBeyond;
        if (offset > kMaxField || claimed > kMaxField)
            return fail(reason, pictureName(picture.entry) + " lies too far for the multi-picture index");
        index.entries[picture.entry].size = static_cast<std::uint32_t>(claimed);
        index.entries[picture.entry].offset = static_cast<std::uint32_t>(offset);
    }
    return writeMpEntries(payload, span.payloadSize, index) || fail(reason, "the multi-picture index cannot be written");
}
