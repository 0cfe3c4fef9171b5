// The photo reader and writer on hostile input: any bytes read into a record; a record that reads
// must describe bytes that lie inside the input, its segments as the file holds them; its Exif
// thumbnail is replaced by bytes taken from the input and the record written back with a picture
// of its own, and the written file must read again with the same application segments in the same
// order. The tag listing of every record is made too.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "jpegfile/markers.h"
#include "jpegfile/photo_record.h"
#include "jpegfile/photo_writer.h"
#include "jpegfile/thumbnail.h"

namespace {

void require(bool promise) {
    if (!promise) std::abort();
}

using Bytes = std::vector<unsigned char>;

// Each segment is where its offset says, its bytes those of the input, its length field its size.
void checkSegments(const PhotoRecord& record, const Bytes& file) {
    for (const Segment& segment : record.segments) {
        require(segment.bytes.size() >= 2 && segment.bytes.size() == std::size_t(segment.bytes[0] << 8 | segment.bytes[1]));
        require(segment.offset + 2 + segment.bytes.size() <= file.size());
        require(file[segment.offset + 1] == segment.marker);  // a code without its 0xFF is taken all the same
        require(std::memcmp(&file[segment.offset + 2], segment.bytes.data(), segment.bytes.size()) == 0);
    }
    require(record.pictureDataAt <= file.size());
    require(std::memchr(record.info.comments, 0, sizeof record.info.comments) != nullptr);
}

std::vector<std::pair<int, Bytes>> applicationSegments(const PhotoRecord& record) {
    std::vector<std::pair<int, Bytes>> kept;
    for (const Segment& segment : record.segments)
        if (isApplicationMarker(segment.marker) && !(segment.is(SegmentKind::Jfif) && record.exifSegment >= 0))
            kept.emplace_back(segment.marker, segment.bytes);
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes file(data, data + size);
    Result<PhotoRecord> read = readPhotoRecord(file.data(), file.size(), "fuzz.jpg");
    if (!read.ok()) {
        require(read.refusal().reason != RefusalReason::None);
        return 0;
    }
    PhotoRecord& record = read.value();
    checkSegments(record, file);
    listTags(record);
    const Bytes thumbnail(file.begin() + long(file.size() / 2), file.end());
    if (replaceThumbnail(record, thumbnail).empty()) require(thumbnailBytes(record) == thumbnail);
    static const Bytes picture = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08, 1, 1, 0, 0, 63, 0, 0x12, 0xFF, 0xD9};
    const Bytes written = writePhoto(record, picture, {});
    Result<PhotoRecord> again = readPhotoRecord(written.data(), written.size(), "fuzz.jpg");
    require(again.ok());
    require(applicationSegments(again.value()) == applicationSegments(record));
    return 0;
}
