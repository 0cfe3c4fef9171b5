#include "exif/photo_info.h"

#include <cstring>

void resetPhotoInfo(PhotoInfo& info, const char* path) {
    std::memset(&info, 0, sizeof info);
    info.flashUsed = -1;
    info.meteringMode = -1;
    info.whiteBalance = -1;
    std::strncpy(info.fileName, path ? path : "", kMaxPathLength);
    info.fileName[kMaxPathLength] = '\0';
}

const char* thumbnailPlaceName(ThumbnailPlace place) {
    switch (place) {
    case ThumbnailPlace::AtEnd: return "at end";
    case ThumbnailPlace::InPlaceOnly: return "in place only";
    case ThumbnailPlace::Neither: return "neither";
    default: return "none";
    }
}
