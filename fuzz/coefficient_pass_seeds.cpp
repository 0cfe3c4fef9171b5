// Seed inputs for coefficient_pass_fuzz: an options byte, then a small JPEG in each coding,
// sampling and colour the pass meets. Usage: coefficient_pass_seeds OUTDIR

#include <cstdio>
#include <string>

#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using namespace testsupport;

struct Seed {
    const char* name;
    std::uint8_t options;  // kind in the low three bits, then trim, gray, optimize, no own headers, comments only
    JpegSpec recipe;
};

JpegSpec recipe(int width, int height, ColorKind color, int h, int v) {
    JpegSpec r;
    r.width = width;
    r.height = height;
    r.color = color;
    r.lumaH = h;
    r.lumaV = v;
    r.quality = 75;
    r.markers = {{0xE1, Bytes{'E', 'x', 'i', 'f', 0, 0}}, {0xFE, Bytes{'n', 'o', 't', 'e'}}};
    return r;
}

JpegSpec with(JpegSpec r, bool progressive, bool arithmetic, bool optimized, int restart, bool scanPerComponent = false) {
    r.progressive = progressive;
    r.arithmetic = arithmetic;
    r.optimizedTables = optimized;
    r.restartInterval = restart;
    r.scanPerComponent = scanPerComponent;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const JpegSpec s420 = recipe(40, 24, ColorKind::YCbCr, 2, 2), s422 = recipe(35, 21, ColorKind::YCbCr, 2, 1);
    const Seed seeds[] = {
        {"baseline-420-rotate270-trim", 7 | 8, s420},
        {"optimized-422-rotate90", 5, with(s422, false, false, true, 0)},
        {"progressive-420-rotate180-trim", 6 | 8, with(s420, true, false, false, 0)},
        {"arithmetic-422-transverse", 4, with(s422, false, true, false, 0)},
        {"arithmetic-progressive-420-transpose", 3, with(s420, true, true, false, 0)},
        {"restarts-420-flip-optimize", 1 | 32, with(s420, false, false, false, 2)},
        {"progressive-restarts-422-gray", 2 | 16, with(s422, true, false, false, 3)},
        {"scan-per-component-420-none-bare", 64 | 128, with(s420, false, false, false, 0, true)},
        {"gray-rotate270", 7, recipe(13, 27, ColorKind::Gray, 1, 1)},
        {"cmyk-progressive-rotate90", 5, with(recipe(21, 11, ColorKind::Cmyk, 2, 2), true, false, false, 0)},
        {"one-pixel-rotate270-trim", 7 | 8, recipe(1, 1, ColorKind::YCbCr, 2, 2)},
    };
    for (const Seed& seed : seeds) {
        Bytes input{seed.options};
        Bytes jpeg = makeJpeg(seed.recipe);
        input.insert(input.end(), jpeg.begin(), jpeg.end());
        writeFile(std::string(argv[1]) + "/" + seed.name, input);
    }
    return 0;
}
