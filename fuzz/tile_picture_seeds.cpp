// Seed inputs for tile_picture_fuzz: photos of each kind the tile reads (with and without an Exif
// thumbnail, tags that turn, 4:2:0, 4:4:4, grey, restarts, progressive, CMYK), each behind a first
// byte that picks the box. Usage: tile_picture_seeds OUTDIR

#include <cstdio>
#include <string>

#include "tests/support/camera_photo.h"
#include "tests/support/files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    using namespace testsupport;
    std::vector<Bytes> photos;
    for (int orientation : {1, 6}) {
        CameraPhotoSpec recipe;
        recipe.orientation = orientation;
        photos.push_back(makeCameraPhoto(recipe).jpeg);
    }
    for (const JpegSpec& recipe : {JpegSpec{40, 24}, JpegSpec{33, 17, ColorKind::YCbCr, 1, 1},
                                   JpegSpec{24, 24, ColorKind::Gray, 1, 1}, JpegSpec{48, 32, ColorKind::YCbCr, 2, 2, false, 2},
                                   JpegSpec{32, 32, ColorKind::YCbCr, 2, 2, true}, JpegSpec{16, 16, ColorKind::Cmyk, 1, 1}})
        photos.push_back(makeJpeg(recipe));
    for (std::size_t i = 0; i < photos.size(); ++i) {
        Bytes seed{static_cast<std::uint8_t>(3 + 7 * i)};
        seed.insert(seed.end(), photos[i].begin(), photos[i].end());
        writeFile(std::string(argv[1]) + "/seed" + std::to_string(i) + ".bin", seed);
    }
    return 0;
}
