#pragma once
// A small picture of a photo, for the review's tiles and its large view: decoded pixels as a
// viewer that honours the Orientation tag shows the photo. It comes from the Exif thumbnail when
// that shows the whole picture (it has the picture's proportions) with pixels enough, otherwise
// from the picture data at the smallest of libjpeg's scales (1/8 to 8/8) that gives pixels enough,
// reduced by averaging. This is for looking only: a turn never decodes pixels.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "jpegfile/photo_record.h"
#include "platform/refusal.h"
#include "transform/transform_setup.h"

struct TilePixels {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // rows top down, 3 bytes a pixel
    bool fromThumbnail = false;     // made from the Exif thumbnail

    bool empty() const { return width <= 0 || height <= 0; }
    std::size_t bytes() const { return rgb.size(); }
};

// The room a picture is made for: it fits within width x height (as shown), as large as it can
// without growing beyond the photo's own size.
struct TileBox {
    int width = 0, height = 0;
};

// What libjpeg may hold for one picture being decoded (a progressive one needs all its
// coefficients at once); a larger photo is refused as NotEnoughMemory rather than shown.
inline constexpr long kTileDecodeMemory = 256L * 1024 * 1024;

// The photo's bytes, asked for only when its picture data is needed.
using WholeFile = std::function<Result<std::vector<unsigned char>>()>;

// The picture of the photo whose header is `header`, fitting `box`.
Result<TilePixels> tilePicture(const PhotoRecord& header, const WholeFile& wholeFile, TileBox box);
// The same from the photo's bytes in memory.
Result<TilePixels> tilePicture(const std::vector<unsigned char>& jpeg, TileBox box);

// `pixels` turned by `kind`, as a viewer shows the turn.
TilePixels turnedPixels(const TilePixels& pixels, TransformKind kind);
