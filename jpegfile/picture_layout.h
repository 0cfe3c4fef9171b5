#pragma once
// What a JPEG file holds besides its picture, found by walking its bytes without decoding: how the
// picture is coded, its application segments, where the picture ends, and what follows it.

#include <cstddef>
#include <string>
#include <vector>

struct PictureLayout {
    int frameMarker = 0;            // the SOFn code of the first picture; 0 when there is none
    int width = 0, height = 0;      // as its frame header states them
    unsigned restartInterval = 0;   // the first DRI before the first scan, in MCUs
    std::vector<std::string> segments;  // the kinds of its APPn and COM segments, in order
    std::size_t pictureEnd = 0;     // behind the first picture's EOI; 0 when it has none
    std::size_t furtherPictures = 0;  // pictures its multi-picture index lists after the first
};

// Walks segments and coded data (fill bytes, stuffed bytes and restart markers allowed) to the
// first picture's end-of-image marker. Bounded by the bytes; never reads outside them.
PictureLayout pictureLayout(const unsigned char* jpeg, std::size_t size);

// "baseline", "extended", "progressive", "lossless", "arithmetic", "arithmetic progressive",
// "arithmetic lossless", or "hierarchical" for the differential frames; "" for no frame.
std::string codingName(int frameMarker);
