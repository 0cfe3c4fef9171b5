#include "jpegfile/segment_walk.h"

#include <cstring>

#include "jpegfile/markers.h"

namespace {

// Appends the segments from behind SOI to the first SOS; true when the bytes ran out before it.
bool walkSegments(const unsigned char* jpeg, std::size_t size, std::vector<SegmentSpan>& spans) {
    std::size_t at = 2;
    for (;;) {
        at = nextMarker(jpeg, size, at).codeAt;
        if (size - at < 3) return true;  // no room for the code and two length bytes
        const int code = jpeg[at];
        const std::size_t length = (static_cast<std::size_t>(jpeg[at + 1]) << 8) | jpeg[at + 2];
        if (length < 2) return false;
        if (length - 2 > size - at - 3) return true;
        spans.push_back(SegmentSpan{code, at + 3, length - 2});
        if (code == kSos) return false;
        at += 1 + length;
    }
}

// From `at`, behind a scan header: past the coded data and any further segments to the EOI.
// Returns the position behind the EOI, or 0 when the bytes end first.
std::size_t walkScans(const unsigned char* jpeg, std::size_t size, std::size_t at, ScanWalk& walk) {
    while (at + 1 < size) {
        // Coded data is mostly other bytes: jump to the next 0xFF rather than step to it.
        const void* prefix = std::memchr(jpeg + at, kMarkerPrefix, size - at);
        if (!prefix) return 0;
        at = static_cast<std::size_t>(static_cast<const unsigned char*>(prefix) - jpeg);
        std::size_t code = at + 1;
        while (code < size && jpeg[code] == kMarkerPrefix) ++code;  // fill bytes
        if (code >= size) return 0;
        const int marker = jpeg[code];
        if (marker == kEoi) return code + 1;
        if (marker == 0 || isRestartMarker(marker)) {  // a stuffed 0xFF byte, a restart
            at = code + 1;
            continue;
        }
        if (size - code < 3) return 0;
        const std::size_t length = (static_cast<std::size_t>(jpeg[code + 1]) << 8) | jpeg[code + 2];
        if (length < 2 || length - 2 > size - code - 3) return 0;
        if (walk.spans.size() < kMaxSpansBetweenScans)
            walk.spans.push_back(SegmentSpan{marker, code + 3, length - 2});
        else
            walk.tooMany = true;
        at = code + 1 + length;
    }
    return 0;
}

}  // namespace

MarkerAhead nextMarker(const unsigned char* jpeg, std::size_t size, std::size_t at) {
    while (at < size) {
        const void* prefix = std::memchr(jpeg + at, kMarkerPrefix, size - at);
        if (!prefix) break;
        const std::size_t first = static_cast<std::size_t>(static_cast<const unsigned char*>(prefix) - jpeg);
        std::size_t code = first + 1;
        while (code < size && jpeg[code] == kMarkerPrefix) ++code;
        if (code >= size || jpeg[code] != 0) return {first, code};
        at = code + 1;  // 0xFF 0x00 is no marker: stray bytes too
    }
    return {size, size};
}

std::vector<SegmentSpan> segmentsBeforeScan(const unsigned char* jpeg, std::size_t size, bool* cutShort) {
    std::vector<SegmentSpan> spans;
    bool ranOut = false;
    if (startsWithSoi(jpeg, size)) ranOut = walkSegments(jpeg, size, spans);
    if (cutShort) *cutShort = ranOut;
    return spans;
}

ScanWalk segmentsAfterFirstScan(const unsigned char* jpeg, std::size_t size) {
    ScanWalk walk;
    const std::vector<SegmentSpan> header = segmentsBeforeScan(jpeg, size);
    if (!header.empty() && header.back().markerCode == kSos)
        walk.pictureEnd = walkScans(jpeg, size, header.back().payloadAt + header.back().payloadSize, walk);
    return walk;
}
