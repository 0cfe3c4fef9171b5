#pragma once
// Internal to the Exif reader: what the directory walker does with each tag it knows.

#include <cstdint>

#include "exif/exif_walk.h"

// The thumbnail location met in one directory, stored into PhotoInfo after its walk.
struct DirectoryThumbnail {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::int32_t lengthValueOffset = -1;  // where this directory's ThumbnailLength value lies, if it has one
    std::int64_t lengthEntry = -1;        // and where its entry lies
};

// Acts on one entry of a directory at nesting `level`: fills the photo's record, the walk's state,
// or `thumbnail`, notes the entries a turn may rewrite, or walks the sub-directory the entry names.
// Tags it does not know change nothing.
void applyExifTag(ExifWalk& walk, const DirectoryEntry& entry, int level, DirectoryThumbnail& thumbnail);
