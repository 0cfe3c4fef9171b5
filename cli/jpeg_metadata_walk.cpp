#include "cli/jpeg_metadata_walk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "exif/exif_block.h"
#include "exif/photo_info.h"

namespace {

constexpr int kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kApp1 = 0xE1, kCom = 0xFE;

struct File {
    FILE* stream;
    ~File() {
        if (stream) std::fclose(stream);
    }
};

bool isFrameMarker(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool isStandalone(int marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// The marker code behind one or more 0xFF bytes; -1 at the end of the file or on other bytes.
int nextMarker(FILE* stream) {
    int c = std::fgetc(stream);
    if (c != 0xFF) return -1;
    while (c == 0xFF) c = std::fgetc(stream);
    return c == EOF ? -1 : c;
}

void takeFrame(const unsigned char* segment, unsigned length) {
    if (length < 8) return;
    photoInfo.process = segment[-1];
    photoInfo.height = (segment[3] << 8) | segment[4];
    photoInfo.width = (segment[5] << 8) | segment[6];
    photoInfo.isColor = segment[7] == 3 ? 1 : 0;
}

}  // namespace

bool readJpegMetadata(const std::string& path, std::string* error) {
    File file{std::fopen(path.c_str(), "rb")};
    if (!file.stream) {
        *error = "cannot open the file";
        return false;
    }
    if (std::fgetc(file.stream) != 0xFF || std::fgetc(file.stream) != kSoi) {
        *error = "not a JPEG file";
        return false;
    }
    bool exifSeen = false, commentSeen = false;
    for (;;) {
        int marker = nextMarker(file.stream);
        if (marker < 0 || marker == kEoi) {
            *error = "no image data: the file ends before the start of scan";
            return false;
        }
        if (marker == kSos) return true;
        if (isStandalone(marker)) continue;
        int high = std::fgetc(file.stream), low = std::fgetc(file.stream);
        unsigned length = high < 0 || low < 0 ? 0 : static_cast<unsigned>((high << 8) | low);
        if (length < 2) {
            *error = "corrupt segment length";
            return false;
        }
        // One byte in front for the marker code, then the segment as the readers take it.
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[length + 1]);
        unsigned char* segment = buffer.get() + 1;
        buffer[0] = static_cast<unsigned char>(marker);
        segment[0] = static_cast<unsigned char>(high);
        segment[1] = static_cast<unsigned char>(low);
        if (std::fread(segment + 2, 1, length - 2, file.stream) != length - 2) {
            *error = "the file ends inside a segment";
            return false;
        }
        if (marker == kApp1 && !exifSeen && length >= 6 && std::memcmp(segment + 2, "Exif", 4) == 0) {
            exifSeen = true;
            processExifBlock(segment, length);
        } else if (marker == kCom && !commentSeen) {
            commentSeen = true;
            std::size_t n = std::min<std::size_t>(length - 2, sizeof photoInfo.comments - 1);
            std::memcpy(photoInfo.comments, segment + 2, n);
            photoInfo.comments[n] = '\0';
        } else if (isFrameMarker(marker)) {
            takeFrame(segment, length);
        }
    }
}
