#include "jpegfile/picture_layout.h"

#include "jpegfile/mpf_index.h"
#include "jpegfile/markers.h"
#include "jpegfile/segment_kind.h"
#include "jpegfile/segment_walk.h"

namespace {

std::size_t listedPictures(const unsigned char* payload, std::size_t size) {
    MpIndex index;
    std::string reason;
    return readMpIndex(payload, size, &index, &reason) ? index.entries.size() : 0;
}

}  // namespace

PictureLayout pictureLayout(const unsigned char* jpeg, std::size_t size) {
    PictureLayout layout;
    const std::vector<SegmentSpan> spans = segmentsBeforeScan(jpeg, size);
    for (const SegmentSpan& span : spans) {
        const unsigned char* payload = jpeg + span.payloadAt;
        if (isFrameMarker(span.markerCode) && layout.frameMarker == 0) {
            layout.frameMarker = span.markerCode;
            if (span.payloadSize >= 5) {
                layout.height = (payload[1] << 8) | payload[2];
                layout.width = (payload[3] << 8) | payload[4];
            }
        }
        if (span.markerCode == kDri && span.payloadSize >= 2 && layout.restartInterval == 0)
            layout.restartInterval = (unsigned{payload[0]} << 8) | payload[1];
        if (segmentKind(span.markerCode, payload, span.payloadSize) == SegmentKind::NotApplication) continue;
        layout.segments.push_back(segmentKindName(span.markerCode, payload, span.payloadSize));
        if (isMpfPayload(payload, span.payloadSize) && layout.furtherPictures == 0) {
            const std::size_t listed = listedPictures(payload, span.payloadSize);
            layout.furtherPictures = listed > 1 ? listed - 1 : 0;
        }
    }
    layout.pictureEnd = segmentsAfterFirstScan(jpeg, size).pictureEnd;
    return layout;
}

std::string codingName(int frameMarker) {
    switch (frameMarker) {
    case 0xC0: return "baseline";
    case 0xC1: return "extended";
    case 0xC2: return "progressive";
    case 0xC3: return "lossless";
    case 0xC9: return "arithmetic";
    case 0xCA: return "arithmetic progressive";
    case 0xCB: return "arithmetic lossless";
    case 0: return "";
    default: return "hierarchical";
    }
}
