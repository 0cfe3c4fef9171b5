#include "exif/photo_info.h"

#include <cstring>

thread_local PhotoInfo photoInfo;

void clearPhotoInfo() { std::memset(&photoInfo, 0, sizeof photoInfo); }

void resetPhotoInfo(const char* path) {
    clearPhotoInfo();
    photoInfo.flashUsed = -1;
    photoInfo.meteringMode = -1;
    photoInfo.whiteBalance = -1;
    std::strncpy(photoInfo.fileName, path ? path : "", kMaxPathLength);
    photoInfo.fileName[kMaxPathLength] = '\0';
}
