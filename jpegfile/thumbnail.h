#pragma once
// The Exif thumbnail of the kept APP1 entry: its bytes, so that it can be turned like any JPEG,
// and their replacement by the turned ones as far as the Exif block allows (photoInfo's
// thumbnailPlace, decided when the block was read). Nothing else in the block changes, and what
// the block refers to stays where it was.

#include <string>
#include <vector>

// The largest thumbnail offset + new thumbnail size for a thumbnail that grows at the end of
// the block: the APP1 length field stays within 16 bits.
inline constexpr unsigned kMaxThumbnailEnd = 0x10000 - 20;

// The thumbnail's bytes in the kept Exif entry; empty when there is none or it lies outside.
std::vector<unsigned char> thumbnailBytes();

// Puts `bytes` in place of the thumbnail as the block allows (at the end: the entry grows or
// shrinks and its length field follows; else in place when it fits the old room, the rest
// zero-filled), rewriting ThumbnailLength in its own type. Returns "" when replaced, else the
// reason in plain words why the old thumbnail stays; the entry is unchanged then.
std::string replaceThumbnail(const std::vector<unsigned char>& bytes);

// The same through files: writes the thumbnail bytes to a new file at `path`, and replaces the
// thumbnail by the bytes of the file at `path`. 1 done; 0 not, reported, the entry unchanged.
int exportThumbnail(const char* path);
int importThumbnail(const char* path);
