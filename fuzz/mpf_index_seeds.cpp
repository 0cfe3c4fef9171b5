// Seed inputs for mpf_index_fuzz: multi-picture files with a gain map, a depth map, padding, an
// XMP container directory in either form (and alone, without an index), a motion photo's video, and
// a JFXX thumbnail.
// Usage: mpf_index_seeds OUTDIR

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/support/files.h"
#include "tests/support/multi_picture.h"

namespace {

using namespace testsupport;

MultiPictureSpec small(MultiPictureSpec recipe) {
    recipe.primary.width = 16;
    recipe.primary.height = 16;
    for (FurtherPictureSpec& further : recipe.further) further.picture.width = further.picture.height = 8;
    return recipe;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    MultiPictureSpec everything = small(ultraHdrSpec(ContainerForm::Elements, ByteOrder::Motorola));
    everything.further.push_back(everything.further[0]);
    everything.further[1].attribute = 0x00020002;
    everything.further[1].gapBefore = 9;
    everything.video = Bytes(64, 0x42);
    const Bytes rgb{'J', 'F', 'X', 'X', 0, 0x13, 2, 1, 1, 2, 3, 4, 5, 6};
    everything.primary.markers.push_back({0xE0, rgb});
    writeFile(folder + "/ultra-hdr-attributes", makeMultiPicture(small(ultraHdrSpec(ContainerForm::Attributes))).file);
    writeFile(folder + "/index-only", makeMultiPicture(small(ultraHdrSpec(ContainerForm::None, ByteOrder::Motorola))).file);
    writeFile(folder + "/everything", makeMultiPicture(everything).file);
    Bytes containerOnly = makeMultiPicture(small(ultraHdrSpec(ContainerForm::Attributes))).file;
    const std::string mpf("MPF\0", 4);
    const auto mpfAt = std::search(containerOnly.begin(), containerOnly.end(), mpf.begin(), mpf.end()) - 4;
    containerOnly.erase(mpfAt, mpfAt + 2 + (mpfAt[2] << 8 | mpfAt[3]));  // no index: the container alone lists the map
    writeFile(folder + "/container-only", containerOnly);
    writeFile(folder + "/payload-only", makeMpfPayload(ByteOrder::Intel, {{0x20030000, 100, 0}, {0, 50, 200}}).payload);
    return 0;
}
