#include "jpegfile/segment_fields.h"

#include <cstring>

#include "exif/photo_info.h"

namespace {

constexpr int kMaxCommentEnd = 2000;
constexpr unsigned char kCarriageReturn = 0x0D;
constexpr unsigned char kLineFeed = 0x0A;
constexpr unsigned char kTab = 0x09;

bool keptAsItIs(unsigned char byte) { return byte >= 0x20 || byte == kLineFeed || byte == kTab; }

}  // namespace

int readBigEndian16(const unsigned char* bytes) { return (bytes[0] << 8) | bytes[1]; }

void storeComment(const unsigned char* bytes, int length) {
    char text[kMaxCommentEnd];
    int end = length < kMaxCommentEnd ? length : kMaxCommentEnd;
    int used = 0;
    for (int i = 2; i < end; ++i) {
        unsigned char byte = bytes[i];
        // Only a pair inside the segment counts, even one that straddles the cut at `end`.
        if (byte == kCarriageReturn && i + 1 < length && bytes[i + 1] == kLineFeed) continue;
        text[used++] = keptAsItIs(byte) ? static_cast<char>(byte) : '?';
    }
    text[used] = '\0';
    std::memcpy(photoInfo.comments, text, static_cast<size_t>(used) + 1);
}

void storeFrameHeader(const unsigned char* bytes, int markerCode) {
    photoInfo.height = readBigEndian16(bytes + 3);
    photoInfo.width = readBigEndian16(bytes + 5);
    photoInfo.isColor = bytes[7] == 3 ? 1 : 0;
    photoInfo.process = markerCode;
}

bool hasExifSignature(const unsigned char* bytes, int byteCount) {
    return byteCount >= 6 && std::memcmp(bytes + 2, "Exif", 4) == 0;
}

bool hasJfifSignature(const unsigned char* bytes, int byteCount) {
    return byteCount >= 7 && std::memcmp(bytes + 2, "JFIF", 5) == 0;
}

bool isApplicationMarker(int markerCode) { return (markerCode >= kApp0 && markerCode <= 0xEF) || markerCode == kComment; }

bool isFrameMarker(int markerCode) {
    return markerCode >= 0xC0 && markerCode <= 0xCF && markerCode != 0xC4 && markerCode != 0xC8 &&
           markerCode != 0xCC;
}
