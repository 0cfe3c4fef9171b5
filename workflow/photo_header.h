#pragma once
// A photo's record read from the beginning of its file only: the segments up to its picture data,
// taken in growing pieces, so that a photo that needs nothing costs a few kilobytes of reading and
// a file that is no photo is known from its first bytes.

#include <string>

#include "jpegfile/photo_record.h"
#include "platform/source_file.h"

// The first piece read; photos with large metadata (extended XMP, split ICC profiles) read more.
inline constexpr std::size_t kFirstHeaderRead = 64 * 1024;

// readPhotoRecord over as much of the open file as its segments need.
Result<PhotoRecord> readPhotoHeader(const platform::SourceFile& source, const std::string& path);
