#pragma once
// The image-information record of one photo: filled by the segment reader (frame, comment) and
// the Exif reader, read by the rotation workflow (thumbnail, date) and --info. A plain value held
// in the photo's record.

#include <cstdint>

inline constexpr int kMaxDateTimeOffsets = 10;
inline constexpr int kMaxPathLength = 260;

// What the Exif block allows for a new thumbnail, decided by the walk of the block.
enum class ThumbnailPlace : std::uint8_t {
    None,         // no thumbnail (no offset, no length, or no bytes)
    AtEnd,        // nothing the block refers to lies at or behind it: it may grow or shrink
    InPlaceOnly,  // something lies behind it, or a directory could not be read: only its own room may be used
    Neither,      // something the block refers to overlaps it: it stays as it is
};

struct PhotoInfo {
    char fileName[kMaxPathLength + 1];
    char cameraMake[32];
    char cameraModel[40];
    char dateTime[20];
    std::int32_t height;
    std::int32_t width;
    std::int32_t orientation;
    std::int32_t isColor;
    std::int32_t process;
    std::int32_t flashUsed;
    float focalLength;
    float exposureTime;
    float apertureFNumber;
    float distance;
    float ccdWidth;
    float exposureBias;
    float digitalZoomRatio;
    std::int32_t focalLength35mm;
    std::int32_t whiteBalance;
    std::int32_t meteringMode;
    std::int32_t exposureProgram;
    std::int32_t exposureMode;
    std::int32_t isoEquivalent;
    std::int32_t lightSource;
    char comments[2000];
    std::uint32_t thumbnailOffset;
    std::uint32_t thumbnailSize;
    std::uint32_t largestExifOffset;
    std::uint8_t thumbnailAtEnd;     // thumbnailPlace is AtEnd (without a thumbnail: thumbnailOffset >= largestExifOffset)
    ThumbnailPlace thumbnailPlace;  // of the block read last
    std::int32_t thumbnailSizeOffset;
    std::int32_t dateTimeOffsets[kMaxDateTimeOffsets];
    std::int32_t dateTimeCount;
    std::int32_t gpsInfoPresent;
    char gpsLat[31];
    char gpsLong[31];
    char gpsAlt[20];
};

// The state at the start of a file: zero, then flash, metering and white balance -1 (absent),
// then the path into fileName, cut to its field.
void resetPhotoInfo(PhotoInfo& info, const char* path);

// "none", "at end", "in place only" or "neither".
const char* thumbnailPlaceName(ThumbnailPlace place);
