#include "jpegfile/thumbnail.h"

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "exif/byte_order.h"
#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "jpegfile/diagnostics.h"
#include "jpegfile/section_table.h"

namespace {

// Bytes in front of the TIFF header inside the APP1 entry: the length field and "Exif\0\0".
constexpr std::uint64_t kTiffStart = 8;
constexpr std::uint64_t kValueSize = 4;

// The thumbnail's bytes inside the entry, checked against the entry's size so that values
// that do not fit the block in hand are refused instead of trusted.
bool thumbnailInside(const JpegSection& exif) {
    std::uint64_t end = kTiffStart + photoInfo.thumbnailOffset + photoInfo.thumbnailSize;
    return end <= static_cast<std::uint64_t>(exif.byteCount);
}

// ThumbnailLength's value must lie in the directories, inside the part of the entry that stays.
bool lengthValueInFront(const JpegSection& exif) {
    if (photoInfo.thumbnailSizeOffset < static_cast<std::int32_t>(kTiffStart)) return false;
    std::uint64_t valueEnd = static_cast<std::uint64_t>(photoInfo.thumbnailSizeOffset) + kValueSize;
    return valueEnd <= photoInfo.thumbnailOffset && kTiffStart + photoInfo.thumbnailOffset <=
                                                        static_cast<std::uint64_t>(exif.byteCount);
}

// The size of a file by seeking to its end, then back to its start; -1 when it cannot seek.
off_t measure(FILE* file) {
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    off_t size = ftello(file);
    if (size < 0 || fseeko(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

// Exactly `size` bytes and then the end of the file: a file that changed under us is refused.
bool readExactly(FILE* file, std::vector<unsigned char>* bytes) {
    if (std::fread(bytes->data(), 1, bytes->size(), file) != bytes->size()) return false;
    return std::getc(file) == EOF;
}

}  // namespace

int exportThumbnail(const char* path) {
    if (photoInfo.thumbnailOffset == 0 || photoInfo.thumbnailSize == 0) {
        std::fputs("Image contains no thumbnail\n", sectionDiagnostics());
        return 0;
    }
    JpegSection* exif = findExifSection();
    if (!exif || !thumbnailInside(*exif)) {
        reportError("Thumbnail lies outside the Exif block");
        return 0;
    }
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        reportError("Could not write thumbnail file");
        return 0;
    }
    size_t size = photoInfo.thumbnailSize;
    bool written = std::fwrite(exif->bytes + kTiffStart + photoInfo.thumbnailOffset, 1, size, file) == size;
    if (std::fclose(file) != 0) written = false;
    if (!written) {
        reportError("Could not write thumbnail file");
        return 0;
    }
    return 1;
}

int importThumbnail(const char* path) {
    if (photoInfo.thumbnailOffset == 0 || photoInfo.thumbnailAtEnd == 0) {
        std::fputs("Image contains no thumbnail to replace - add is not possible\n", sectionDiagnostics());
        return 0;
    }
    JpegSection* exif = findExifSection();
    if (!exif || !lengthValueInFront(*exif)) {
        reportError("Thumbnail lies outside the Exif block");
        return 0;
    }
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        reportError("Could not read thumbnail file");
        return 0;
    }
    off_t size = measure(file);
    if (size >= 0 && photoInfo.thumbnailOffset + static_cast<std::uint64_t>(size) > kMaxThumbnailEnd) {
        reportError("Thumbnail is too large to insert into exif header");
        std::fclose(file);
        return 0;
    }
    // The new thumbnail is read in full before the entry is touched, so that a failed or short
    // read leaves the entry as it was.
    std::vector<unsigned char> thumbnail(size > 0 ? static_cast<size_t>(size) : 0);
    bool read = size >= 0 && readExactly(file, &thumbnail);
    std::fclose(file);
    if (!read) {
        reportError("Could not read thumbnail file");
        return 0;
    }
    size_t start = kTiffStart + photoInfo.thumbnailOffset;
    size_t newLength = start + thumbnail.size();
    auto* bytes = static_cast<unsigned char*>(std::malloc(newLength));
    if (!bytes) {
        reportError("Could not allocate memory");
        return 0;
    }
    std::memcpy(bytes, exif->bytes, start);
    if (!thumbnail.empty()) std::memcpy(bytes + start, thumbnail.data(), thumbnail.size());
    writeU32(bytes + kTiffStart + photoInfo.thumbnailSizeOffset, static_cast<std::uint32_t>(thumbnail.size()));
    bytes[0] = static_cast<unsigned char>(newLength >> 8);
    bytes[1] = static_cast<unsigned char>(newLength & 0xFF);
    std::free(exif->bytes);
    exif->bytes = bytes;
    exif->byteCount = static_cast<std::int32_t>(newLength);
    photoInfo.thumbnailSize = static_cast<std::uint32_t>(thumbnail.size());
    return 1;
}
