#pragma once
// What a photo states about the shape of its pixels, turned with its axes: the JFIF density and
// the Exif XResolution and YResolution (IFD0's and the thumbnail's) change places when the turn
// exchanges width and height, so that pixels that are not square keep their shape.

#include "jpegfile/photo_record.h"
#include "transform/transform_setup.h"

// A pair that cannot be swapped in place (values of different types, shared bytes) stays as it
// stands: the picture is turned all the same.
void swapPixelShape(PhotoRecord& record, TransformKind kind);
