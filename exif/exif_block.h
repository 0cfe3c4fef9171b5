#pragma once
// The Exif reader's entry point: the APP1 Exif segment into PhotoInfo (exif/photo_info.h).
// Every read stays inside the segment and nothing is written into it; whatever the block holds,
// the reader returns normally and reports what it refused through reportError (exif/report_error.h).

#include <cstdint>

inline constexpr int kMaxDirectoryLevel = 4;  // directory levels 0..4 are walked

// Switch of the verbose listing on standard output; 0 (the default) prints nothing.
extern int listTags;

// Per-block state, reset by processExifBlock; one per thread, like the record it fills.
extern thread_local bool orientationSeen;    // an Orientation entry of this block was taken already
extern thread_local double focalPlaneXRes;   // FocalPlaneXResolution
extern thread_local double focalPlaneUnits;  // millimetres per focal-plane resolution unit
extern thread_local std::int32_t exifImageWidth;  // larger of ExifImageWidth and ExifImageLength

// `segment` starts at the first of the two length bytes; `length` is the segment length as its
// length field counts it (length bytes included), and no more than the bytes available there.
void processExifBlock(const unsigned char* segment, unsigned length);

// Whether the last processExifBlock could walk its block: false when the TIFF header or the
// first directory could not be read. A further directory that cannot be read does not count
// here; it limits where a new thumbnail may go (thumbnailPlace). true when no block was given
// since the photo record was cleared.
bool exifBlockWalked();

// Walks the directory at `start` (inside [base, base + length]) and what it links to; `base` is
// the TIFF header start and `length` the TIFF length. Normally reached through processExifBlock,
// which also clears the record of directories walked so far in the block.
void processExifDirectory(const unsigned char* start, const unsigned char* base, unsigned length, int level);
