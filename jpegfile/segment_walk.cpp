#include "jpegfile/segment_walk.h"

namespace {
constexpr unsigned char kMarkerPrefix = 0xFF;
constexpr int kStartOfScan = 0xDA;
}  // namespace

std::vector<SegmentSpan> segmentsBeforeScan(const unsigned char* jpeg, std::size_t size) {
    std::vector<SegmentSpan> spans;
    if (size < 2 || jpeg[0] != kMarkerPrefix || jpeg[1] != 0xD8) return spans;
    std::size_t at = 2;
    for (;;) {
        if (at >= size || jpeg[at] != kMarkerPrefix) return spans;
        while (at < size && jpeg[at] == kMarkerPrefix) ++at;
        if (size - at < 3) return spans;  // the code and two length bytes
        int code = jpeg[at];
        std::size_t length = (static_cast<std::size_t>(jpeg[at + 1]) << 8) | jpeg[at + 2];
        if (length < 2 || length - 2 > size - at - 3) return spans;
        spans.push_back(SegmentSpan{code, at + 3, length - 2});
        if (code == kStartOfScan) return spans;
        at += 1 + length;
    }
}
