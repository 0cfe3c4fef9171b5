#include "jpegfile/segment_thumbnails.h"

#include <vector>

#include "jpegfile/jfif_segment.h"
#include "jpegfile/photoshop_thumbnail.h"
#include "jpegfile/xmp_thumbnail.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The reasons of the segments that could not be turned, in order.
class Notes {
public:
    void add(const std::string& reason) {
        if (reason.empty()) return;
        text_ += (text_.empty() ? "" : "; ") + reason;
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// Calls `turn` with the payload of every segment of `kind` and puts the turned payload back; one
// that refuses, or would no longer fit in a segment, stays as it was.
template <typename Turn>
void turnEach(PhotoRecord& record, SegmentKind kind, Turn turn, Notes& notes) {
    for (Segment& segment : record.segments) {
        if (!segment.is(kind)) continue;
        Bytes payload(segment.payload(), segment.payload() + segment.payloadSize());
        std::string reason;
        if (!turn(&payload, &reason)) notes.add(reason);
        else if (!segment.setPayload(payload)) notes.add("the turned thumbnail would not fit in its segment");
    }
}

}  // namespace

std::string turnSegmentThumbnails(PhotoRecord& record, TransformKind kind, const JpegStreamTurner& turnJpeg) {
    Notes notes;
    turnEach(record, SegmentKind::Jfif, [&](Bytes* payload, std::string* reason) {
        return turnJfifThumbnail(payload, kind, reason);
    }, notes);
    turnEach(record, SegmentKind::PhotoshopIrb, [&](Bytes* payload, std::string* reason) {
        return turnPhotoshopThumbnails(payload, turnJpeg, reason);
    }, notes);
    turnEach(record, SegmentKind::Xmp, [&](Bytes* payload, std::string* reason) {
        return turnXmpThumbnails(payload, turnJpeg, reason);
    }, notes);
    return notes.text();
}
