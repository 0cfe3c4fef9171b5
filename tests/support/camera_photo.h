#pragma once
// A photograph as a camera writes it: Exif APP1 first (with an IFD1 thumbnail that is itself a
// JPEG), then XMP, an ICC profile and a comment, then the image. Made by the tests themselves.

#include <functional>
#include <string>

#include "tests/support/exif_builder.h"
#include "tests/support/jpeg_maker.h"

namespace testsupport {

struct CameraPhotoSpec {
    ByteOrder order = ByteOrder::Intel;
    int width = 64;
    int height = 48;
    int quality = 90;
    std::uint32_t seed = 1;
    int noise = 96;  // the spread of the picture's noise (JpegSpec::noise)
    int thumbnailWidth = 32;
    int thumbnailHeight = 24;
    bool thumbnailAtEnd = true;  // false: an IFD0 value is placed behind the thumbnail
    std::string dateText;        // non-empty: DateTime, DateTimeOriginal and DateTimeDigitized all read this
    bool withExif = true;        // false: a plain JFIF file with the comment only
    int orientation = 1;         // IFD0's Orientation; other than 1 also IFD1's and the XMP's; 0: no tag
    std::string xmp;             // non-empty: the XMP packet, instead of one stating the orientation
    std::function<void(ExifSpec&)> adjustExif;  // last changes to the Exif recipe
    // When set, draws the picture's and the thumbnail's RGB rows (each at its own size) instead
    // of the maker's pattern, so that the thumbnail shows the picture.
    std::function<void(int width, int height, int y, std::uint8_t* row)> draw;
};

struct CameraPhoto {
    Bytes jpeg;
    Bytes thumbnail;  // the thumbnail JPEG inside the Exif block
    ExifBlock exif;   // the block as built; its payload is the APP1 payload in the file
    Bytes comment, xmp, icc;  // the payloads of the other segments
};

CameraPhoto makeCameraPhoto(const CameraPhotoSpec& recipe);

}  // namespace testsupport
