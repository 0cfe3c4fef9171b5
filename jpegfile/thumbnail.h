#pragma once
// The Exif thumbnail of the kept APP1 entry, taken out to a file of its own so that it can be
// transformed like any JPEG, and put back in its old place afterwards.

// The largest thumbnailOffset + new thumbnail size: the APP1 length field stays within 16 bits.
inline constexpr unsigned kMaxThumbnailEnd = 0x10000 - 20;

// Writes the thumbnail bytes of the Exif APP1 entry to a new file at `path`. 1 written, 0 not.
int exportThumbnail(const char* path);

// Replaces the thumbnail of the Exif APP1 entry by the bytes of the file at `path`, resizing the
// entry and correcting its length field and the ThumbnailLength value. 1 replaced; 0 not, and
// then the entry is unchanged.
int importThumbnail(const char* path);
