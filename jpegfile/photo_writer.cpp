#include "jpegfile/photo_writer.h"

#include <cstring>

#include "jpegfile/markers.h"

namespace {

bool written(const PhotoRecord& record, const Segment& segment) {
    if (!isApplicationMarker(segment.marker)) return false;
    return !(segment.is(SegmentKind::Jfif) && record.exifSegment >= 0);
}

}  // namespace

std::vector<unsigned char> writePhoto(const PhotoRecord& record, const std::vector<unsigned char>& picture,
                                      const std::vector<unsigned char>& tail) {
    const std::size_t pictureStart = picture.size() >= 2 ? 2 : picture.size();
    std::size_t total = 2 + (picture.size() - pictureStart) + tail.size();
    for (const Segment& segment : record.segments)
        if (written(record, segment)) total += 2 + segment.bytes.size();
    std::vector<unsigned char> file(total);
    unsigned char* at = file.data();
    *at++ = kMarkerPrefix;
    *at++ = kSoi;
    for (const Segment& segment : record.segments) {
        if (!written(record, segment)) continue;
        *at++ = kMarkerPrefix;
        *at++ = static_cast<unsigned char>(segment.marker);
        std::memcpy(at, segment.bytes.data(), segment.bytes.size());
        at += segment.bytes.size();
    }
    if (picture.size() > pictureStart) std::memcpy(at, picture.data() + pictureStart, picture.size() - pictureStart);
    at += picture.size() - pictureStart;
    if (!tail.empty()) std::memcpy(at, tail.data(), tail.size());
    return file;
}
