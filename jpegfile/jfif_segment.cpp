#include "jpegfile/jfif_segment.h"

#include <algorithm>
#include <cstring>

#include "jpegfile/raw_thumbnail.h"
#include "transform/turns.h"

namespace {

constexpr std::size_t kIdentifierSize = 5;  // "JFIF" and its zero byte
constexpr std::size_t kXDensityAt = 8, kYDensityAt = 10;
constexpr std::size_t kThumbnailSizeAt = 12, kPixelsAt = 14;
constexpr std::size_t kBytesPerPixel = 3;

}  // namespace

bool isJfifPayload(const unsigned char* payload, std::size_t size) {
    return size >= kThumbnailSizeAt && std::memcmp(payload, "JFIF", kIdentifierSize) == 0;
}

void swapJfifDensity(std::vector<unsigned char>* payload, TransformKind kind) {
    if (!isJfifPayload(payload->data(), payload->size()) || !turnFacts(kind).transposes) return;
    unsigned char* density = payload->data();
    std::swap_ranges(density + kXDensityAt, density + kXDensityAt + 2, density + kYDensityAt);
}

bool turnJfifThumbnail(std::vector<unsigned char>* payload, TransformKind kind, std::string* reason) {
    std::vector<unsigned char>& bytes = *payload;
    if (!isJfifPayload(bytes.data(), bytes.size()) || bytes.size() < kPixelsAt) return true;
    const std::size_t width = bytes[kThumbnailSizeAt], height = bytes[kThumbnailSizeAt + 1];
    if (bytes.size() - kPixelsAt < width * height * kBytesPerPixel) {
        *reason = "the JFIF thumbnail is cut short";
        return false;
    }
    turnRawThumbnail(bytes.data() + kPixelsAt, width, height, kBytesPerPixel, kind);
    if (turnFacts(kind).transposes) std::swap(bytes[kThumbnailSizeAt], bytes[kThumbnailSizeAt + 1]);
    return true;
}
