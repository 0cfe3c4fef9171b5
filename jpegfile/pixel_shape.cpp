#include "jpegfile/pixel_shape.h"

#include "exif/resolution_swap.h"
#include "jpegfile/jfif_segment.h"
#include "transform/turns.h"

void swapPixelShape(PhotoRecord& record, TransformKind kind) {
    if (!turnFacts(kind).transposes) return;
    for (Segment& segment : record.segments) {
        if (!segment.is(SegmentKind::Jfif)) continue;
        std::vector<unsigned char> payload(segment.payload(), segment.payload() + segment.payloadSize());
        swapJfifDensity(&payload, kind);
        segment.setPayload(payload);  // the same size
    }
    if (Segment* exif = record.exif()) swapResolutions(exif->bytes.data(), exif->bytes.size(), record.exifLayout);
}
