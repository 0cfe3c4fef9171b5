// The photo reader and writer on hostile input: any bytes read into a record; a record that reads
// must describe bytes that lie inside the input, its segments and the stray bytes behind them as
// the file holds them, with nothing but fill bytes between; its Exif thumbnail is replaced by
// bytes taken from the input, its other thumbnails (uncompressed strips, JFIF, Photoshop, XMP)
// turned with a stand-in for the engine, every segment still a segment, and the record written
// back with a picture of its own, and the
// written file must read again with the same application segments in the same order and the same
// stray bytes. The tag listing of every record is made too.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "jpegfile/markers.h"
#include "jpegfile/photo_record.h"
#include "jpegfile/photo_writer.h"
#include "jpegfile/segment_thumbnails.h"
#include "jpegfile/strip_thumbnail.h"
#include "jpegfile/thumbnail.h"

namespace {

void require(bool promise) {
    if (!promise) std::abort();
}

using Bytes = std::vector<unsigned char>;

// `strays` stand at `at` in the file: no marker among them, and only fill bytes up to `next`.
std::size_t checkStrays(const Bytes& file, std::size_t at, const Bytes& strays, std::size_t next) {
    require(at + strays.size() <= next && std::equal(strays.begin(), strays.end(), file.begin() + long(at)));
    for (std::size_t i = 0; i < strays.size(); ++i)
        if (strays[i] == 0xFF) require(i + 1 < strays.size() && (strays[i + 1] == 0xFF || strays[i + 1] == 0));
    for (std::size_t i = at + strays.size(); i < next; ++i) require(file[i] == 0xFF);
    return next;
}

// Each segment is where its offset says, its bytes those of the input, its length field its size,
// and the stray bytes behind it those of the input up to the next marker's fill bytes.
void checkSegments(const PhotoRecord& record, const Bytes& file) {
    std::size_t at = 2;
    const Bytes* strays = &record.strayAfterSoi;
    for (const Segment& segment : record.segments) {
        require(segment.bytes.size() >= 2 && segment.bytes.size() == std::size_t(segment.bytes[0] << 8 | segment.bytes[1]));
        require(segment.offset + 2 + segment.bytes.size() <= file.size());
        require(file[segment.offset] == 0xFF && file[segment.offset + 1] == segment.marker);
        require(std::memcmp(&file[segment.offset + 2], segment.bytes.data(), segment.bytes.size()) == 0);
        checkStrays(file, at, *strays, segment.offset);
        at = segment.offset + 2 + segment.bytes.size();
        strays = &segment.strayAfter;
    }
    require(strays->empty() && record.pictureDataAt == at);
    require(std::memchr(record.info.comments, 0, sizeof record.info.comments) != nullptr);
}

std::vector<std::pair<int, Bytes>> applicationSegments(const PhotoRecord& record) {
    std::vector<std::pair<int, Bytes>> kept;
    for (const Segment& segment : record.segments)
        if (isApplicationMarker(segment.marker)) kept.emplace_back(segment.marker, segment.bytes);
    return kept;
}

// Every stray byte of the record, in order: the writer keeps them all, behind what it writes.
Bytes strayBytes(const PhotoRecord& record) {
    Bytes all = record.strayAfterSoi;
    for (const Segment& segment : record.segments) all.insert(all.end(), segment.strayAfter.begin(), segment.strayAfter.end());
    return all;
}

// Stands in for the engine: refuses some streams, and gives others back a little longer.
bool fakeTurn(const unsigned char* stream, std::size_t size, Bytes* turned, std::string* reason) {
    if (size % 5 == 0) {
        *reason = "refused";
        return false;
    }
    turned->assign(stream, stream + size);
    turned->insert(turned->end(), size % 7, 0x5A);
    return true;
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
    const auto kind = static_cast<TransformKind>(size % 9);
    turnStripThumbnail(record, kind);
    turnSegmentThumbnails(record, kind, fakeTurn);
    for (const Segment& segment : record.segments)
        require(segment.bytes.size() <= 0xFFFF && segment.bytes.size() == std::size_t(segment.bytes[0] << 8 | segment.bytes[1]));
    static const Bytes picture = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08, 1, 1, 0, 0, 63, 0, 0x12, 0xFF, 0xD9};
    const Bytes written = writePhoto(record, picture, {});
    Result<PhotoRecord> again = readPhotoRecord(written.data(), written.size(), "fuzz.jpg");
    require(again.ok());
    require(applicationSegments(again.value()) == applicationSegments(record));
    require(strayBytes(again.value()) == strayBytes(record));
    return 0;
}
