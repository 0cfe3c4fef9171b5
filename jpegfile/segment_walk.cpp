#include "jpegfile/segment_walk.h"

#include <cstring>

namespace {
constexpr unsigned char kMarkerPrefix = 0xFF;
constexpr int kStartOfScan = 0xDA;
constexpr int kEndOfImage = 0xD9;

// Appends the segments from behind SOI to the first SOS; true when the bytes ran out before it.
bool walkSegments(const unsigned char* jpeg, std::size_t size, std::vector<SegmentSpan>& spans) {
    std::size_t at = 2;
    for (;;) {
        if (at >= size) return true;
        if (jpeg[at] != kMarkerPrefix) return false;
        while (at < size && jpeg[at] == kMarkerPrefix) ++at;
        if (size - at < 3) return true;  // no room for the code and two length bytes
        const int code = jpeg[at];
        const std::size_t length = (static_cast<std::size_t>(jpeg[at + 1]) << 8) | jpeg[at + 2];
        if (length < 2) return false;
        if (length - 2 > size - at - 3) return true;
        spans.push_back(SegmentSpan{code, at + 3, length - 2});
        if (code == kStartOfScan) return false;
        at += 1 + length;
    }
}

bool isRestartMarker(int code) { return code >= 0xD0 && code <= 0xD7; }

// From `at`, behind a scan header: past the coded data and any further segments to the EOI.
// Returns the position behind the EOI, or 0 when the bytes end first.
std::size_t walkScans(const unsigned char* jpeg, std::size_t size, std::size_t at, std::vector<SegmentSpan>& spans) {
    while (at + 1 < size) {
        // Coded data is mostly other bytes: jump to the next 0xFF rather than step to it.
        const void* prefix = std::memchr(jpeg + at, kMarkerPrefix, size - at);
        if (!prefix) return 0;
        at = static_cast<std::size_t>(static_cast<const unsigned char*>(prefix) - jpeg);
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
        const std::size_t length = (static_cast<std::size_t>(jpeg[code + 1]) << 8) | jpeg[code + 2];
        if (length < 2 || length - 2 > size - code - 3) return 0;
        spans.push_back(SegmentSpan{marker, code + 3, length - 2});
        at = code + 1 + length;
    }
    return 0;
}

}  // namespace

std::vector<SegmentSpan> segmentsBeforeScan(const unsigned char* jpeg, std::size_t size, bool* cutShort) {
    std::vector<SegmentSpan> spans;
    bool ranOut = false;
    if (size >= 2 && jpeg[0] == kMarkerPrefix && jpeg[1] == 0xD8) ranOut = walkSegments(jpeg, size, spans);
    if (cutShort) *cutShort = ranOut;
    return spans;
}

std::vector<SegmentSpan> segmentsAfterFirstScan(const unsigned char* jpeg, std::size_t size, std::size_t* pictureEnd) {
    std::vector<SegmentSpan> spans;
    const std::vector<SegmentSpan> header = segmentsBeforeScan(jpeg, size);
    std::size_t end = 0;
    if (!header.empty() && header.back().markerCode == kStartOfScan)
        end = walkScans(jpeg, size, header.back().payloadAt + header.back().payloadSize, spans);
    if (pictureEnd) *pictureEnd = end;
    return spans;
}
