#include "workflow/stated_positions.h"

#include <vector>

#include "jpegfile/exif_positions.h"
#include "jpegfile/xmp_edit.h"

bool turnStatedPositions(PhotoRecord& record, const CoefficientPassResult& pass, const PictureTurn& turn,
                         std::string* reason) {
    const PictureSize planned = sizeAfter(turn, PictureFrame::Stored);
    if (planned.width != pass.width || planned.height != pass.height) {
        *reason = "the turned picture is not of the size its metadata was turned for";
        return false;
    }
    if (Segment* exif = record.exif())
        if (!turnExifPositions(exif->bytes.data(), exif->bytes.size(), record.exifLayout, turn, reason)) return false;
    for (Segment& segment : record.segments) {
        if (!segment.is(SegmentKind::Xmp)) continue;
        std::vector<unsigned char> payload(segment.payload(), segment.payload() + segment.payloadSize());
        if (!turnXmpSegment(&payload, turn, reason)) return false;
        if (!segment.setPayload(payload)) {
            *reason = "an edited segment does not fit in a JPEG segment";
            return false;
        }
    }
    return true;
}
