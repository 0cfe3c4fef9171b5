// The Exif reader on hostile input: the input is one APP1 segment from its first length byte,
// its length the input size. Copied into a buffer of exactly that size so that any read past
// the segment is caught. Odd-sized inputs run with the verbose listing on (to /dev/null), and
// the chosen date goes through the date parser. The record's promises are checked afterwards.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "exif/byte_order.h"
#include "exif/exif_block.h"
#include "exif/exif_date.h"
#include "exif/photo_info.h"
#include "exif/report_error.h"

namespace {

void require(bool promise) {
    if (!promise) std::abort();
}

bool terminated(const char* field, std::size_t size) { return std::memchr(field, 0, size) != nullptr; }

void checkRecord(std::size_t segmentLength) {
    require(terminated(photoInfo.cameraMake, sizeof photoInfo.cameraMake));
    require(terminated(photoInfo.cameraModel, sizeof photoInfo.cameraModel));
    require(terminated(photoInfo.dateTime, sizeof photoInfo.dateTime));
    require(terminated(photoInfo.comments, sizeof photoInfo.comments));
    require(terminated(photoInfo.gpsLat, sizeof photoInfo.gpsLat));
    require(terminated(photoInfo.gpsLong, sizeof photoInfo.gpsLong));
    require(terminated(photoInfo.gpsAlt + 1, sizeof photoInfo.gpsAlt - 1));
    require(photoInfo.dateTimeCount >= 0 && photoInfo.dateTimeCount <= kMaxDateTimeOffsets);
    require(photoInfo.orientation >= 0 && photoInfo.orientation <= 8);
    if (photoInfo.thumbnailOffset != 0) {
        require(segmentLength >= 8);
        require(std::uint64_t{photoInfo.thumbnailOffset} + photoInfo.thumbnailSize <= segmentLength - 8);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    resetPhotoInfo("fuzz.jpg");
    clearReportedErrors();
    motorolaOrder = 0;
    listTags = size % 2;
    std::unique_ptr<unsigned char[]> segment(new unsigned char[size]);
    if (size) std::memcpy(segment.get(), data, size);
    processExifBlock(segment.get(), static_cast<unsigned>(size));
    listTags = 0;
    checkRecord(size);
    struct tm time;
    parseExifDateTime(&time, photoInfo.dateTime);
    return 0;
}
