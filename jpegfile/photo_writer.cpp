#include "jpegfile/photo_writer.h"

#include <cstring>

#include "jpegfile/markers.h"

namespace {

// The picture brings its own tables, frame and scan headers.
bool written(const Segment& segment) { return isApplicationMarker(segment.marker); }

unsigned char* put(unsigned char* at, const std::vector<unsigned char>& bytes) {
    if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    return at + bytes.size();
}

}  // namespace

std::vector<unsigned char> writePhoto(const PhotoRecord& record, const std::vector<unsigned char>& picture,
                                      const std::vector<unsigned char>& tail) {
    const std::size_t pictureStart = picture.size() >= 2 ? 2 : picture.size();
    std::size_t total = 2 + record.strayAfterSoi.size() + (picture.size() - pictureStart) + tail.size();
    for (const Segment& segment : record.segments)
        total += segment.strayAfter.size() + (written(segment) ? 2 + segment.bytes.size() : 0);
    std::vector<unsigned char> file(total);
    unsigned char* at = file.data();
    *at++ = kMarkerPrefix;
    *at++ = kSoi;
    at = put(at, record.strayAfterSoi);
    for (const Segment& segment : record.segments) {
        if (written(segment)) {
            *at++ = kMarkerPrefix;
            *at++ = static_cast<unsigned char>(segment.marker);
            at = put(at, segment.bytes);
        }
        at = put(at, segment.strayAfter);
    }
    if (picture.size() > pictureStart) std::memcpy(at, picture.data() + pictureStart, picture.size() - pictureStart);
    at += picture.size() - pictureStart;
    put(at, tail);
    return file;
}
