#include "jpegfile/picture_layout.h"

#include "jpegfile/mpf_index.h"
#include "jpegfile/segment_fields.h"
#include "jpegfile/segment_kind.h"
#include "jpegfile/segment_walk.h"

namespace {

constexpr unsigned char kMarkerPrefix = 0xFF;
constexpr int kEndOfImage = 0xD9;
constexpr int kRestartInterval = 0xDD;

bool isRestartMarker(int code) { return code >= 0xD0 && code <= 0xD7; }

// From behind the first scan's header: past the coded data and any further tables and scans to
// the end-of-image marker. 0 when the bytes end first.
std::size_t endOfImage(const unsigned char* jpeg, std::size_t size, std::size_t at) {
    while (at + 1 < size) {
        if (jpeg[at] != kMarkerPrefix) {
            ++at;
            continue;
        }
        std::size_t code = at + 1;
        while (code < size && jpeg[code] == kMarkerPrefix) ++code;  // fill bytes
        if (code >= size) return 0;
        const int marker = jpeg[code];
        if (marker == kEndOfImage) return code + 1;
        if (marker == 0 || isRestartMarker(marker)) {  // a stuffed 0xFF byte, a restart
            at = code + 1;
            continue;
        }
        if (size - code < 3) return 0;
        at = code + 1 + ((static_cast<std::size_t>(jpeg[code + 1]) << 8) | jpeg[code + 2]);
    }
    return 0;
}

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
        if (isFrameMarker(span.markerCode) && layout.frameMarker == 0) layout.frameMarker = span.markerCode;
        if (span.markerCode == kRestartInterval && span.payloadSize >= 2 && layout.restartInterval == 0)
            layout.restartInterval = static_cast<unsigned>(readBigEndian16(payload));
        if (segmentKind(span.markerCode, payload, span.payloadSize) == SegmentKind::NotApplication) continue;
        layout.segments.push_back(segmentKindName(span.markerCode, payload, span.payloadSize));
        if (isMpfPayload(payload, span.payloadSize) && layout.furtherPictures == 0) {
            const std::size_t listed = listedPictures(payload, span.payloadSize);
            layout.furtherPictures = listed > 1 ? listed - 1 : 0;
        }
    }
    if (!spans.empty() && spans.back().markerCode == 0xDA)
        layout.pictureEnd = endOfImage(jpeg, size, spans.back().payloadAt + spans.back().payloadSize);
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
