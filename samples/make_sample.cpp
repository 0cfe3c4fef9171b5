// Writes a sample photo to the path given: a 4:2:0 JPEG made with libjpeg.
#include <cstdio>
#include <exception>

#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUT.jpg\n");
        return 2;
    }
    try {
        testsupport::JpegSpec spec;
        spec.width = 640;
        spec.height = 480;
        spec.markers.push_back({0xFE, {'P', 'i', 'v', 'o', 'r', 'a', ' ', 's', 'a', 'm', 'p', 'l', 'e'}});
        testsupport::writeFile(argv[1], testsupport::makeJpeg(spec));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
