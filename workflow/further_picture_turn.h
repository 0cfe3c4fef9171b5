#pragma once
// The further pictures of a photo (a gain map, a depth map, the other pictures of a
// multi-picture file) turned as photos of their own, with the same steps as the primary: each is
// read into its own record, and its Exif (orientation, dimensions, thumbnail), XMP and JFIF are
// edited as the primary's are. A picture keeps its full size so that it stays aligned with the
// primary: where the coefficient turn cannot move it exactly at that size, it is turned through
// its pixels, and the result says so.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "jpegfile/further_pictures.h"
#include "jpegfile/jpeg_stream_turner.h"
#include "jpegfile/photo_record.h"
#include "workflow/coefficient_pass.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"

// A further picture's own pass: exact at its full size, else through its pixels with `why` (its
// size, which is no whole number of its blocks along an edge the turn mirrors) set.
CoefficientPassResult turnFurtherPicturePass(const std::vector<unsigned char>& picture, const FrameFacts& frame,
                                             TransformKind kind, const TurnSettings& settings, CoefficientMemory* memory,
                                             std::string* why);

// What the turns of a photo's further pictures said, by where each began in the photo.
using FurtherResults = std::map<std::size_t, RotateResult>;

// Turns each further picture of the photo `source` as a photo of its own, by the photo's turn, its
// orientation set to `tagAfter` as the photo's is (0: kept); each one's result is kept in `results`.
JpegStreamTurner furtherPictureTurner(const std::vector<unsigned char>& source, TransformKind kind, int tagAfter,
                                      const TurnSettings& settings, FurtherResults* results);

// The items of the record's XMP container directories behind the first picture, which ends at
// `firstPictureEnd`.
std::vector<ContainerItem> containerItemsOf(const PhotoRecord& record, std::size_t firstPictureEnd);

// The further pictures' notes in the photo's result, each named after its picture: a thumbnail not
// turned, a picture turned through its pixels.
void noteFurtherResults(const FurtherResults& results, const std::vector<MovedPicture>& pictures, RotateResult* result);
