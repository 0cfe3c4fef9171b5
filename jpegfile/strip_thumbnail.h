#pragma once
// The uncompressed thumbnail that older cameras store in IFD1 instead of a JPEG one: RGB or YCbCr
// pixels of 8 bits a sample in one strip (Compression 1, PhotometricInterpretation 2 or 6,
// StripOffsets and StripByteCounts), turned in place by moving its pixels. IFD1's ImageWidth and
// ImageLength change places with the axes, and RowsPerStrip still covers the one strip. A YCbCr
// thumbnail whose colour is subsampled keeps its subsampling: where a transposing turn pairs
// pixels anew, their colour is the mean of the pair's.

#include <string>

#include "jpegfile/photo_record.h"
#include "transform/transform_setup.h"

// Returns "" when turned or when the record's Exif block holds no such thumbnail; else why it
// stays as it was, and then nothing of the block changed.
std::string turnStripThumbnail(PhotoRecord& record, TransformKind kind);
