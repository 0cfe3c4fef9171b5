#include "jpegfile/raw_thumbnail.h"

#include <cstring>
#include <vector>

#include "transform/turns.h"

void turnRawThumbnail(unsigned char* pixels, std::size_t width, std::size_t height, std::size_t bytesPerPixel,
                      TransformKind kind) {
    const std::size_t pixelBytes = width * height * bytesPerPixel;
    if (pixelBytes == 0) return;
    const bool swapped = turnFacts(kind).transposes;
    const std::size_t turnedWidth = swapped ? height : width, turnedHeight = swapped ? width : height;
    const std::vector<unsigned char> source(pixels, pixels + pixelBytes);
    for (std::size_t y = 0; y < turnedHeight; ++y)
        for (std::size_t x = 0; x < turnedWidth; ++x)
            std::memcpy(pixels + (y * turnedWidth + x) * bytesPerPixel,
                        &source[sourcePixelOf(kind, x, y, width, height) * bytesPerPixel], bytesPerPixel);
}
