// Writes a sample photo to the path given: a 640 x 480 4:2:0 JPEG made with libjpeg, with a
// camera-like Exif block (make, model, dates, exposure, GPS) ending in a 160 x 120 thumbnail,
// an XMP packet, an ICC profile segment and a comment.
#include <cstdio>
#include <exception>

#include "tests/support/camera_photo.h"
#include "tests/support/files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUT.jpg\n");
        return 2;
    }
    try {
        testsupport::CameraPhotoSpec recipe;
        recipe.width = 640;
        recipe.height = 480;
        recipe.thumbnailWidth = 160;
        recipe.thumbnailHeight = 120;
        testsupport::writeFile(argv[1], testsupport::makeCameraPhoto(recipe).jpeg);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
