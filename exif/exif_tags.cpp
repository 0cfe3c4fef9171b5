#include "exif/exif_tags.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "exif/exif_block.h"
#include "exif/gps_directory.h"
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
    ExifWalk& walk;
    const DirectoryEntry& entry;
    const TiffBlock& block() const { return walk.block; }
    PhotoInfo& info() const { return walk.info; }
    double number() const { return entryNumber(walk.block, entry, &walk.notes); }
    std::int32_t asInt() const { return truncateToInt32(number()); }
    float asFloat() const { return static_cast<float>(number()); }
};

// The orientation of the main picture is IFD0's alone: IFD1 describes the thumbnail, and a value
// there says nothing about how the photo stands.
void takeOrientation(const Value& v, int level) {
    if (v.walk.orientationSeen || level != 0) return;
    v.walk.orientationSeen = true;
    PhotoInfo& info = v.info();
    info.orientation = v.asInt();
    if (info.orientation < 0 || info.orientation > 8) {
        v.walk.report("Undefined rotation value %d", info.orientation);
        info.orientation = 0;
    }
}

// DateTimeOriginal always wins; the other two fill the text only while it holds no date
// starting with a digit. Every date tag's position is recorded, up to kMaxDateTimeOffsets.
void takeDate(const Value& v, bool overwrite) {
    PhotoInfo& info = v.info();
    if (overwrite) copyBlockText(info.dateTime, sizeof info.dateTime, v.entry.value, kMaxDateLength, v.block());
    if (!std::isdigit(static_cast<unsigned char>(info.dateTime[0])))
        copyBlockText(info.dateTime, sizeof info.dateTime, v.entry.value, kMaxDateLength, v.block());
    if (info.dateTimeCount >= kMaxDateTimeOffsets) {
        v.walk.report("More than %d date fields!  This is nuts", kMaxDateTimeOffsets);
        return;
    }
    info.dateTimeOffsets[info.dateTimeCount++] = static_cast<std::int32_t>(v.block().offsetOf(v.entry.value));
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
    copyBlockText(v.info().comments, sizeof v.info().comments, value + from,
                  std::min(kMaxCommentLength, length - from), v.block());
}

void takeFocalPlaneUnit(const Value& v) {
    double& units = v.walk.focalPlaneUnits;
    switch (v.asInt()) {
    case 1:
    case 2: units = 25.4; break;  // inch
    case 3: units = 10.0; break;  // centimetre
    case 4: units = 1.0; break;   // millimetre
    case 5: units = 0.001; break; // micrometre
    default: break;
    }
}

void takeIso(const Value& v) {
    std::int64_t iso = v.asInt();
    if (iso < kLowestPlausibleIso) iso *= kIsoScale;
    v.info().isoEquivalent = iso < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(iso);
}

void followSubdirectory(const Value& v, int level, const char* listingName) {
    std::uint32_t link = v.block().order.readU32(v.entry.value);
    if (link > v.block().length) {
        v.walk.report("Illegal exif or interop ofset directory link");
        noteUnreadDirectory(v.walk, link);
        return;
    }
    appendListing(v.walk.listing, "%s    %s:\n", listingIndent(level), listingName);
    walkExifDirectory(v.walk, link, level + 1);
}

void followGpsLink(const Value& v, int level) {
    std::uint32_t link = v.block().order.readU32(v.entry.value);
    if (link > v.block().length) {
        v.walk.report("Illegal GPS directory link");
        noteUnreadDirectory(v.walk, link);
        return;
    }
    appendListing(v.walk.listing, "%s    GPS info dir:\n", listingIndent(level));
    processGpsDirectory(v.walk, link);
}

}  // namespace

void applyExifTag(ExifWalk& walk, const DirectoryEntry& entry, int level, DirectoryThumbnail& thumbnail) {
    const Value v{walk, entry};
    const TiffBlock& block = walk.block;
    PhotoInfo& info = walk.info;
    noteRewritableEntry(walk, entry, level);
    switch (entry.tag) {
    case kMake: copyBlockText(info.cameraMake, sizeof info.cameraMake, entry.value, entry.byteCount, block); break;
    case kModel: copyBlockText(info.cameraModel, sizeof info.cameraModel, entry.value, entry.byteCount, block); break;
    case kOrientation: takeOrientation(v, level); break;
    case kDateTime: takeDate(v, false); break;
    case kDateTimeOriginal: takeDate(v, true); break;
    case kDateTimeDigitized: takeDate(v, false); break;
    case kThumbnailOffset: thumbnail.offset = static_cast<std::uint32_t>(v.asInt()); break;
    case kThumbnailLength:
        thumbnail.length = static_cast<std::uint32_t>(v.asInt());
        thumbnail.lengthValueOffset = static_cast<std::int32_t>(block.offsetOf(entry.value));
        thumbnail.lengthEntry = entry.at;
        info.thumbnailSizeOffset = thumbnail.lengthValueOffset;
        break;
    case kExifOffset: followSubdirectory(v, level, "Exif Dir"); break;
    case kInteropOffset: followSubdirectory(v, level, "Interop Dir"); break;
    case kGpsOffset: followGpsLink(v, level); break;
    case kExposureTime: info.exposureTime = v.asFloat(); break;
    case kFNumber: info.apertureFNumber = v.asFloat(); break;
    case kExposureProgram: info.exposureProgram = v.asInt(); break;
    case kIsoSpeedRatings: takeIso(v); break;
    case kShutterSpeedValue:
        if (info.exposureTime == 0) info.exposureTime = static_cast<float>(1 / std::pow(2.0, v.number()));
        break;
    case kApertureValue:
    case kMaxApertureValue:
        if (info.apertureFNumber == 0) info.apertureFNumber = static_cast<float>(std::pow(2.0, v.number() / 2));
        break;
    case kExposureBiasValue: info.exposureBias = v.asFloat(); break;
    case kSubjectDistance: info.distance = v.asFloat(); break;
    case kMeteringMode: info.meteringMode = v.asInt(); break;
    case kLightSource: info.lightSource = v.asInt(); break;
    case kFlash: info.flashUsed = v.asInt(); break;
    case kFocalLength: info.focalLength = v.asFloat(); break;
    case kUserComment: takeUserComment(v); break;
    case kExifImageWidth:
    case kExifImageLength:
        if (v.asInt() > walk.exifImageWidth) walk.exifImageWidth = v.asInt();
        break;
    case kFocalPlaneXResolution: walk.focalPlaneXRes = v.number(); break;
    case kFocalPlaneResolutionUnit: takeFocalPlaneUnit(v); break;
    case kExposureIndex:
        if (info.isoEquivalent == 0) info.isoEquivalent = v.asInt();
        break;
    case kExposureMode: info.exposureMode = v.asInt(); break;
    case kWhiteBalance: info.whiteBalance = v.asInt(); break;
    case kDigitalZoomRatio: info.digitalZoomRatio = v.asFloat(); break;
    case kFocalLengthIn35mmFilm: info.focalLength35mm = v.asInt(); break;
    default: break;
    }
}
