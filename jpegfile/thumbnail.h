#pragma once
// The Exif thumbnail of a photo's record: its bytes, so that it can be turned like any JPEG, and
// their replacement by the turned ones as far as the Exif block allows (the layout's thumbnail
// place, decided when the block was read). Nothing else in the block changes, and what the block
// refers to stays where it was.

#include <string>
#include <vector>

#include "jpegfile/photo_record.h"

// The largest thumbnail offset + new thumbnail size for a thumbnail that grows at the end of
// the block: the APP1 length field stays within 16 bits.
inline constexpr unsigned kMaxThumbnailEnd = 0x10000 - 20;

// The thumbnail's bytes in the record's Exif block; empty when there is none or it lies outside.
std::vector<unsigned char> thumbnailBytes(const PhotoRecord& record);

// Puts `bytes` in place of the thumbnail as the block allows (at the end: the segment grows or
// shrinks and its length field follows; else in place when it fits the old room, the rest
// zero-filled), rewriting ThumbnailLength in its own type. Returns "" when replaced, else the
// reason in plain words why the old thumbnail stays; the record is unchanged then.
std::string replaceThumbnail(PhotoRecord& record, const std::vector<unsigned char>& bytes);
