#include "exif/photo_info.h"

#include <cstring>

#include "exif/block_layout.h"

thread_local PhotoInfo photoInfo;

void clearPhotoInfo() {
    std::memset(&photoInfo, 0, sizeof photoInfo);
    forgetWalkedBlock();
}

void resetPhotoInfo(const char* path) {
    clearPhotoInfo();
    photoInfo.flashUsed = -1;
    photoInfo.meteringMode = -1;
    photoInfo.whiteBalance = -1;
    std::strncpy(photoInfo.fileName, path ? path : "", kMaxPathLength);
    photoInfo.fileName[kMaxPathLength] = '\0';
}

const char* thumbnailPlaceName(ThumbnailPlace place) {
    switch (place) {
    case ThumbnailPlace::AtEnd: return "at end";
    case ThumbnailPlace::InPlaceOnly: return "in place only";
    case ThumbnailPlace::Neither: return "neither";
    default: return "none";
    }
}
