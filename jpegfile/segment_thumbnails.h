#pragma once
// The thumbnails that application segments carry beside the Exif block's, each turned inside its
// own segment: JFIF's tiny RGB one, Photoshop's (APP13) and the XMP packet's.

#include <string>

#include "jpegfile/jpeg_stream_turner.h"
#include "jpegfile/photo_record.h"
#include "transform/transform_setup.h"

// Turns every one of them by `kind`, a JPEG one through `turnJpeg`. Returns "" when all were turned
// (or there is none), else why one was not, each reason naming its thumbnail ("; " between); the
// segment of a thumbnail that was not turned stays as it was.
std::string turnSegmentThumbnails(PhotoRecord& record, TransformKind kind, const JpegStreamTurner& turnJpeg);
