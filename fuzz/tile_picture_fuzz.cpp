// A review's tile of hostile input: the header read, the Exif thumbnail or the DC scan of the
// picture data or libjpeg's scaled decoding, the averaging, the orientation. Whatever it gives
// must fit the box and hold its pixels; a refusal must say why.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "workflow/tile_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > (1 << 16)) return 0;
    const int box = 1 + data[0] % 64;  // small, so that the pictures stay small
    const std::vector<unsigned char> jpeg(data + 1, data + size);
    const Result<TilePixels> tile = tilePicture(jpeg, {box, box});
    if (!tile.ok()) {
        if (tile.refusal().reason == RefusalReason::None) std::abort();
        return 0;
    }
    const TilePixels& p = tile.value();
    if (p.width < 1 || p.height < 1 || p.width > box || p.height > box) std::abort();
    if (p.rgb.size() != static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) * 3) std::abort();
    return 0;
}
