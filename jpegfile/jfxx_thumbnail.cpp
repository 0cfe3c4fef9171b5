#include "jpegfile/jfxx_thumbnail.h"

#include <cstring>
#include <utility>

#include "jpegfile/raw_thumbnail.h"
#include "transform/turns.h"

namespace {

constexpr std::size_t kIdentifierSize = 5;  // "JFXX" and its zero byte
constexpr std::size_t kCodeAt = kIdentifierSize;
constexpr std::size_t kDataAt = kCodeAt + 1;
constexpr unsigned char kJpegThumbnail = 0x10;
constexpr unsigned char kPaletteThumbnail = 0x11;
constexpr unsigned char kRgbThumbnail = 0x13;
constexpr std::size_t kPaletteSize = 768;
constexpr std::size_t kMaxPayload = 0xFFFF - 2;

bool fail(std::string* reason, const char* text) {
    *reason = text;
    return false;
}

// Moves the pixels at `pixelsAt` and swaps the width and height bytes in front of them as the
// turn does.
bool turnRawPixels(std::vector<unsigned char>* payload, std::size_t pixelsAt, std::size_t bytesPerPixel,
                   TransformKind kind, std::string* reason) {
    std::vector<unsigned char>& bytes = *payload;
    const std::size_t width = bytes[kDataAt], height = bytes[kDataAt + 1];
    if (bytes.size() < pixelsAt || bytes.size() - pixelsAt < width * height * bytesPerPixel)
        return fail(reason, "the JFXX thumbnail is cut short");
    turnRawThumbnail(bytes.data() + pixelsAt, width, height, bytesPerPixel, kind);
    if (turnFacts(kind).transposes) std::swap(bytes[kDataAt], bytes[kDataAt + 1]);
    return true;
}

bool turnJpegThumbnail(std::vector<unsigned char>* payload, const JpegStreamTurner& turnJpeg, std::string* reason) {
    std::vector<unsigned char> turned;
    std::string why;
    if (!turnJpeg(payload->data() + kDataAt, payload->size() - kDataAt, &turned, &why)) {
        *reason = "the JFXX thumbnail cannot be turned: " + why;
        return false;
    }
    if (kDataAt + turned.size() > kMaxPayload) return fail(reason, "the turned JFXX thumbnail would exceed 65535 bytes");
    payload->resize(kDataAt);
    payload->insert(payload->end(), turned.begin(), turned.end());
    return true;
}

}  // namespace

bool isJfxxPayload(const unsigned char* payload, std::size_t size) {
    return size > kCodeAt && std::memcmp(payload, "JFXX", kIdentifierSize) == 0;
}

bool turnJfxxThumbnail(std::vector<unsigned char>* payload, TransformKind kind, const JpegStreamTurner& turnJpeg,
                       std::string* reason) {
    if (!isJfxxPayload(payload->data(), payload->size())) return fail(reason, "the segment is no JFXX extension");
    const unsigned char code = (*payload)[kCodeAt];
    if (code == kJpegThumbnail) return turnJpegThumbnail(payload, turnJpeg, reason);
    if (code != kPaletteThumbnail && code != kRgbThumbnail) return fail(reason, "the JFXX extension code is unknown");
    if (payload->size() < kDataAt + 2) return fail(reason, "the JFXX thumbnail is cut short");
    return code == kPaletteThumbnail ? turnRawPixels(payload, kDataAt + 2 + kPaletteSize, 1, kind, reason)
                                     : turnRawPixels(payload, kDataAt + 2, 3, kind, reason);
}
