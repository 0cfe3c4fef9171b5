#include "exif/exif_tags.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "exif/block_layout.h"
#include "exif/byte_order.h"
#include "exif/exif_block.h"
#include "exif/gps_directory.h"
#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "exif/tag_listing.h"

namespace {

constexpr std::size_t kMaxDateLength = 19;
constexpr std::size_t kMaxCommentLength = 199;
constexpr int kLowestPlausibleIso = 50;
constexpr int kIsoScale = 200;  // some cameras store ISO / 200

enum Tag : unsigned {
    kMake = 0x010F, kModel = 0x0110, kOrientation = 0x0112, kDateTime = 0x0132,
    kThumbnailOffset = 0x0201, kThumbnailLength = 0x0202, kExposureTime = 0x829A, kFNumber = 0x829D,
    kExifOffset = 0x8769, kExposureProgram = 0x8822, kGpsOffset = 0x8825, kIsoSpeedRatings = 0x8827,
    kDateTimeOriginal = 0x9003, kDateTimeDigitized = 0x9004, kShutterSpeedValue = 0x9201,
    kApertureValue = 0x9202, kExposureBiasValue = 0x9204, kMaxApertureValue = 0x9205,
    kSubjectDistance = 0x9206, kMeteringMode = 0x9207, kLightSource = 0x9208, kFlash = 0x9209,
    kFocalLength = 0x920A, kUserComment = 0x9286, kExifImageWidth = 0xA002, kExifImageLength = 0xA003,
    kInteropOffset = 0xA005, kFocalPlaneXResolution = 0xA20E, kFocalPlaneResolutionUnit = 0xA210,
    kExposureIndex = 0xA215, kExposureMode = 0xA402, kWhiteBalance = 0xA403, kDigitalZoomRatio = 0xA404,
    kFocalLengthIn35mmFilm = 0xA405
};

struct Value {
    const TiffBlock& block;
    const DirectoryEntry& entry;
    double number() const { return entryNumber(block, entry); }
    std::int32_t asInt() const { return truncateToInt32(number()); }
    float asFloat() const { return static_cast<float>(number()); }
};

// The orientation of the main picture is IFD0's alone: IFD1 describes the thumbnail, and a value
// there says nothing about how the photo stands.
void takeOrientation(const Value& v, int level) {
    if (orientationSeen || level != 0) return;
    orientationSeen = true;
    photoInfo.orientation = v.asInt();
    if (photoInfo.orientation < 0 || photoInfo.orientation > 8) {
        reportError("Undefined rotation value %d", photoInfo.orientation);
        photoInfo.orientation = 0;
    }
}

// DateTimeOriginal always wins; the other two fill the text only while it holds no date
// starting with a digit. Every date tag's position is recorded, up to kMaxDateTimeOffsets.
void takeDate(const Value& v, bool overwrite) {
    if (overwrite) copyBlockText(photoInfo.dateTime, sizeof photoInfo.dateTime, v.entry.value, kMaxDateLength, v.block);
    if (!std::isdigit(static_cast<unsigned char>(photoInfo.dateTime[0])))
        copyBlockText(photoInfo.dateTime, sizeof photoInfo.dateTime, v.entry.value, kMaxDateLength, v.block);
    if (photoInfo.dateTimeCount >= kMaxDateTimeOffsets) {
        reportError("More than %d date fields!  This is nuts", kMaxDateTimeOffsets);
        return;
    }
    photoInfo.dateTimeOffsets[photoInfo.dateTimeCount++] = static_cast<std::int32_t>(v.block.offsetOf(v.entry.value));
}

// The value without its trailing spaces (the block itself stays as it is); an "ASCII" code
// prefix is skipped together with the zero or space bytes behind it. The text ends with the value.
void takeUserComment(const Value& v) {
    const unsigned char* value = v.entry.value;
    std::size_t length = v.entry.byteCount;
    while (length > 0 && value[length - 1] == ' ') --length;
    std::size_t from = 0;
    if (length >= 5 && std::memcmp(value, "ASCII", 5) == 0) {
        from = 5;
        while (from < 10 && from < length && (value[from] == 0 || value[from] == ' ')) ++from;
        if (from == 10 || from == length) return;
    }
    copyBlockText(photoInfo.comments, sizeof photoInfo.comments, value + from,
                  std::min(kMaxCommentLength, length - from), v.block);
}

void takeFocalPlaneUnit(const Value& v) {
    switch (v.asInt()) {
    case 1:
    case 2: focalPlaneUnits = 25.4; break;  // inch
    case 3: focalPlaneUnits = 10.0; break;  // centimetre
    case 4: focalPlaneUnits = 1.0; break;   // millimetre
    case 5: focalPlaneUnits = 0.001; break; // micrometre
    default: break;
    }
}

void takeIso(const Value& v) {
    std::int64_t iso = v.asInt();
    if (iso < kLowestPlausibleIso) iso *= kIsoScale;
    photoInfo.isoEquivalent = iso < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(iso);
}

void followSubdirectory(const Value& v, int level, const char* listingName) {
    std::uint32_t link = readU32(v.entry.value);
    if (link > v.block.length) {
        reportError("Illegal exif or interop ofset directory link");
        noteUnreadDirectory(v.block, link);
        return;
    }
    if (listTags) std::printf("%s    %s:\n", listingIndent(level), listingName);
    walkExifDirectory(v.block, link, level + 1);
}

void followGpsLink(const Value& v, int level) {
    std::uint32_t link = readU32(v.entry.value);
    if (link > v.block.length) {
        reportError("Illegal GPS directory link");
        noteUnreadDirectory(v.block, link);
        return;
    }
    if (listTags) std::printf("%s    GPS info dir:\n", listingIndent(level));
    processGpsDirectory(v.block.base + link, v.block.base, v.block.length);
}

}  // namespace

void applyExifTag(const TiffBlock& block, const DirectoryEntry& entry, int level, DirectoryThumbnail& thumbnail) {
    const Value v{block, entry};
    noteRewritableEntry(entry);
    switch (entry.tag) {
    case kMake: copyBlockText(photoInfo.cameraMake, sizeof photoInfo.cameraMake, entry.value, entry.byteCount, block); break;
    case kModel: copyBlockText(photoInfo.cameraModel, sizeof photoInfo.cameraModel, entry.value, entry.byteCount, block); break;
    case kOrientation: takeOrientation(v, level); break;
    case kDateTime: takeDate(v, false); break;
    case kDateTimeOriginal: takeDate(v, true); break;
    case kDateTimeDigitized: takeDate(v, false); break;
    case kThumbnailOffset: thumbnail.offset = static_cast<std::uint32_t>(v.asInt()); break;
    case kThumbnailLength:
        thumbnail.length = static_cast<std::uint32_t>(v.asInt());
        thumbnail.lengthValueOffset = static_cast<std::int32_t>(block.offsetOf(entry.value));
        thumbnail.lengthEntry = entry.at;
        photoInfo.thumbnailSizeOffset = thumbnail.lengthValueOffset;
        break;
    case kExifOffset: followSubdirectory(v, level, "Exif Dir"); break;
    case kInteropOffset: followSubdirectory(v, level, "Interop Dir"); break;
    case kGpsOffset: followGpsLink(v, level); break;
    case kExposureTime: photoInfo.exposureTime = v.asFloat(); break;
    case kFNumber: photoInfo.apertureFNumber = v.asFloat(); break;
    case kExposureProgram: photoInfo.exposureProgram = v.asInt(); break;
    case kIsoSpeedRatings: takeIso(v); break;
    case kShutterSpeedValue:
        if (photoInfo.exposureTime == 0) photoInfo.exposureTime = static_cast<float>(1 / std::pow(2.0, v.number()));
        break;
    case kApertureValue:
    case kMaxApertureValue:
        if (photoInfo.apertureFNumber == 0) photoInfo.apertureFNumber = static_cast<float>(std::pow(2.0, v.number() / 2));
        break;
    case kExposureBiasValue: photoInfo.exposureBias = v.asFloat(); break;
    case kSubjectDistance: photoInfo.distance = v.asFloat(); break;
    case kMeteringMode: photoInfo.meteringMode = v.asInt(); break;
    case kLightSource: photoInfo.lightSource = v.asInt(); break;
    case kFlash: photoInfo.flashUsed = v.asInt(); break;
    case kFocalLength: photoInfo.focalLength = v.asFloat(); break;
    case kUserComment: takeUserComment(v); break;
    case kExifImageWidth:
    case kExifImageLength:
        if (v.asInt() > exifImageWidth) exifImageWidth = v.asInt();
        break;
    case kFocalPlaneXResolution: focalPlaneXRes = v.number(); break;
    case kFocalPlaneResolutionUnit: takeFocalPlaneUnit(v); break;
    case kExposureIndex:
        if (photoInfo.isoEquivalent == 0) photoInfo.isoEquivalent = v.asInt();
        break;
    case kExposureMode: photoInfo.exposureMode = v.asInt(); break;
    case kWhiteBalance: photoInfo.whiteBalance = v.asInt(); break;
    case kDigitalZoomRatio: photoInfo.digitalZoomRatio = v.asFloat(); break;
    case kFocalLengthIn35mmFilm: photoInfo.focalLength35mm = v.asInt(); break;
    default: break;
    }
}
