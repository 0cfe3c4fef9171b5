#pragma once
// The Exif reader's entry point: the APP1 Exif segment into the photo's PhotoInfo
// (exif/photo_info.h), and the layout of the block (exif/block_layout.h). Every read stays inside
// the segment and nothing is written into it; whatever the block holds, the reader returns
// normally and notes what it refused.

#include <string>

#include "exif/block_layout.h"
#include "exif/photo_info.h"
#include "exif/reader_notes.h"

inline constexpr int kMaxDirectoryLevel = 4;  // directory levels 0..4 are walked

// `segment` starts at the first of the two length bytes; `length` is the segment length as its
// length field counts it (length bytes included), and no more than the bytes available there.
// Fills `info` from the block, adds what it refused to `notes`, and with `listing` appends the
// verbose listing of every entry. The layout's `walked` is false when the TIFF header or the first
// directory could not be read; a further directory that cannot be read does not count there: it
// limits where a new thumbnail may go (thumbnailPlace).
BlockLayout processExifBlock(const unsigned char* segment, unsigned length, PhotoInfo& info, ReaderNotes& notes,
                             std::string* listing = nullptr);
