// Writes a sample photo to the path given: a 640 x 480 4:2:0 JPEG made with libjpeg, with a
// camera-like Exif block (make, model, dates, exposure, GPS) ending in a 160 x 120 thumbnail,
// an XMP packet, an ICC profile segment and a comment.
//   make_sample OUT.jpg                  the maker's noisy test pattern
//   make_sample --scene N [--stored TURN] [--orientation TAG] OUT.jpg
//                                        a drawn landscape (sky, sun, hills, a house; N varies
//                                        it), whose way up anyone sees; stored turned by TURN
//                                        ("rotate 90": the scene a quarter clockwise, as a camera
//                                        held a quarter counter-clockwise records it, which
//                                        Pivora's own turn puts upright) and tagged with TAG; the
//                                        thumbnail alike
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "transform/turns.h"

namespace {

struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// The landscape at (u, v) in [0, 1), upright: v grows downwards.
Colour scene(double u, double v, int variant) {
    const double sunU = 0.2 + 0.15 * (variant % 4), sunV = 0.18 + 0.04 * (variant % 3);
    const double hill = 0.62 + 0.06 * std::sin(u * 6.3 + variant) + 0.03 * std::sin(u * 17.0);
    const double houseLeft = 0.55 + 0.05 * (variant % 3), houseRight = houseLeft + 0.2;
    const double wallTop = 0.5, roofTop = 0.36;
    const double roofHalf = (houseRight - houseLeft) / 2 + 0.03, roofMiddle = (houseLeft + houseRight) / 2;
    if (v > wallTop && v < 0.72 && u > houseLeft && u < houseRight) {
        const bool window = v > 0.55 && v < 0.62 && std::fmod((u - houseLeft) * 10, 1.0) > 0.45;
        const bool door = v > 0.6 && u > roofMiddle - 0.02 && u < roofMiddle + 0.02;
        if (door) return {0.35, 0.2, 0.1};
        return window ? Colour{0.95, 0.9, 0.55} : Colour{0.93, 0.88, 0.8};
    }
    if (v >= roofTop && v <= wallTop + 0.005 && std::fabs(u - roofMiddle) < roofHalf * (v - roofTop) / (wallTop - roofTop))
        return {0.75, 0.18, 0.14};
    if (v > hill) return mix({0.35, 0.65, 0.25}, {0.15, 0.4, 0.12}, (v - hill) / (1 - hill));
    const double sun = std::hypot((u - sunU) * 4.0 / 3.0, v - sunV);
    if (sun < 0.07) return {1.0, 0.85, 0.25};
    return mix({0.3, 0.55, 0.9}, {0.75, 0.87, 0.97}, v / hill);
}

std::uint8_t sample(double value) { return static_cast<std::uint8_t>(std::lround(std::fmin(1.0, std::fmax(0.0, value)) * 255)); }

int usage() {
    std::fprintf(stderr, "usage: make_sample [--scene N [--stored TURN] [--orientation TAG]] OUT.jpg\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int variant = -1, orientation = 1;
    TransformKind stored = TransformKind::None;
    int at = 1;
    for (; at + 1 < argc; at += 2) {
        const std::string option = argv[at];
        if (option == "--scene") variant = std::atoi(argv[at + 1]);
        else if (option == "--orientation") orientation = std::atoi(argv[at + 1]);
        else if (option != "--stored" || !turnFromName(argv[at + 1], &stored)) return usage();
    }
    if (at != argc - 1) return usage();
    try {
        testsupport::CameraPhotoSpec recipe;
        const bool transposed = turnFacts(stored).transposes;
        recipe.width = transposed ? 480 : 640;
        recipe.height = transposed ? 640 : 480;
        recipe.thumbnailWidth = transposed ? 120 : 160;
        recipe.thumbnailHeight = transposed ? 160 : 120;
        recipe.orientation = orientation;
        if (variant >= 0) {
            recipe.seed = static_cast<std::uint32_t>(variant + 1);
            // The stored picture is the upright scene turned by `stored`: each stored pixel is drawn
            // from the scene where it came from.
            recipe.draw = [variant, stored, transposed](int width, int height, int y, std::uint8_t* row) {
                const int uprightWidth = transposed ? height : width, uprightHeight = transposed ? width : height;
                for (int x = 0; x < width; ++x) {
                    const std::size_t from = sourcePixelOf(stored, static_cast<std::size_t>(x), static_cast<std::size_t>(y),
                                                           static_cast<std::size_t>(uprightWidth), static_cast<std::size_t>(uprightHeight));
                    const double u = (static_cast<double>(from % static_cast<std::size_t>(uprightWidth)) + 0.5) / uprightWidth;
                    const double v = (static_cast<double>(from / static_cast<std::size_t>(uprightWidth)) + 0.5) / uprightHeight;
                    const Colour c = scene(u, v, variant);
                    row[3 * x] = sample(c.r);
                    row[3 * x + 1] = sample(c.g);
                    row[3 * x + 2] = sample(c.b);
                }
            };
        }
        testsupport::writeFile(argv[at], testsupport::makeCameraPhoto(recipe).jpeg);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
