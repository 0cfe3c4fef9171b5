#include "jpegfile/segment_walk.h"

namespace {
constexpr unsigned char kMarkerPrefix = 0xFF;
constexpr int kStartOfScan = 0xDA;

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

}  // namespace

std::vector<SegmentSpan> segmentsBeforeScan(const unsigned char* jpeg, std::size_t size, bool* cutShort) {
    std::vector<SegmentSpan> spans;
    bool ranOut = false;
    if (size >= 2 && jpeg[0] == kMarkerPrefix && jpeg[1] == 0xD8) ranOut = walkSegments(jpeg, size, spans);
    if (cutShort) *cutShort = ranOut;
    return spans;
}
