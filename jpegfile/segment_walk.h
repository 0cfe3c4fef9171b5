#pragma once
// The marker segments of a JPEG stream held in memory, located without copying: where each
// payload lies, so that a segment can be read or patched in place.

#include <cstddef>
#include <vector>

struct SegmentSpan {
    int markerCode = 0;
    std::size_t payloadAt = 0;    // the first byte behind the two length bytes
    std::size_t payloadSize = 0;  // the length field less its own two bytes
};

// Where the next marker stands from `at` on, found as libjpeg finds it: bytes other than 0xFF, and
// 0xFF 0x00 pairs, are stray bytes that it skips (a packet longer than its segment says, a segment
// whose marker was lost); then any number of 0xFF fill bytes; then the code.
struct MarkerAhead {
    std::size_t strayEnd = 0;  // the stray bytes are [at, strayEnd); the marker's 0xFF bytes begin here
    std::size_t codeAt = 0;    // the marker code; the end of the bytes when they end first
};
MarkerAhead nextMarker(const unsigned char* jpeg, std::size_t size, std::size_t at);

// The segments from behind SOI up to and including the first SOS, stray bytes and any number of
// 0xFF fill bytes before each marker skipped as nextMarker does. Empty when the bytes do not begin
// with SOI; ends early at a segment that does not fit in the bytes or has a length below 2. With
// `cutShort`, tells whether it ended early because the bytes ran out (a file cut short before its
// picture data).
std::vector<SegmentSpan> segmentsBeforeScan(const unsigned char* jpeg, std::size_t size, bool* cutShort = nullptr);

// The segments between the first scan and the picture's end-of-image marker (the tables and scan
// headers of further scans, and any application segment or comment among them), found by walking
// the coded data (fill bytes, stuffed bytes and restart markers allowed).
struct ScanWalk {
    std::vector<SegmentSpan> spans;
    std::size_t pictureEnd = 0;  // behind the EOI; 0 when the bytes end first
    bool tooMany = false;        // more than kMaxSpansBetweenScans: the rest are not listed
};
inline constexpr std::size_t kMaxSpansBetweenScans = 20000;
ScanWalk segmentsAfterFirstScan(const unsigned char* jpeg, std::size_t size);
