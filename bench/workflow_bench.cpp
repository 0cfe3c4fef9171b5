// The whole per-file workflow on a 24-megapixel 4:2:0 photo with an Exif thumbnail, against the
// bare transcoding of the same photo with "none", in one run; and the same workflow turning by the
// Orientation tag on a photo that is already upright, which should cost about a metadata read.
// Prints each and their ratios.
// Usage: workflow_bench [ROUNDS]   (default 5; the median of each is compared)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/status_line.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/transcode_jpeg.h"

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Work>
double secondsOf(Work work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    testsupport::CameraPhotoSpec recipe;
    recipe.width = 6000;
    recipe.height = 4000;
    recipe.quality = 92;
    recipe.thumbnailWidth = 160;
    recipe.thumbnailHeight = 120;
    std::fprintf(stderr, "making the photo...\n");
    testsupport::Bytes jpeg = testsupport::makeCameraPhoto(recipe).jpeg;

    testsupport::TempDir dir;
    const std::string photo = dir.file("photo.jpg");
    const std::string copy = dir.file("copy.jpg");
    testsupport::writeFile(photo, jpeg);
    ProcessingOptions options;  // no backup, times restored
    platform::SilentStatusLine status;

    const std::string upright = dir.file("upright.jpg");
    testsupport::writeFile(upright, jpeg);  // Orientation 1: turning by the tag leaves it alone
    ProcessingOptions byTag = options;
    byTag.AutoOrient = 1;

    std::vector<double> bare, workflow, alreadyUpright;
    for (int round = 0; round < rounds; ++round) {
        bool ok = true;
        bare.push_back(secondsOf([&] { ok = transcodeJpegWith(TranscodeRequest{photo, copy}).ok(); }));
        // Each round turns the photo once more; every quarter turn costs the same.
        workflow.push_back(secondsOf([&] { ok = ok && rotatePhoto(photo, options, TurnSettings{}, status).rotated(); }));
        alreadyUpright.push_back(secondsOf([&] {
            ok = ok && rotatePhoto(upright, byTag, TurnSettings{}, status).outcome == FileOutcome::AlreadyUpright;
        }));
        if (!ok) {
            std::fprintf(stderr, "workflow_bench: a run failed\n");
            return 1;
        }
    }
    const double b = median(bare), w = median(workflow), u = median(alreadyUpright);
    std::printf("photo: 6000 x 4000, 4:2:0, %zu bytes, %d rounds\n", jpeg.size(), rounds);
    std::printf("bare transcode \"none\": %.1f ms\n", b * 1000);
    std::printf("whole workflow:        %.1f ms\n", w * 1000);
    std::printf("already upright, by tag: %.1f ms\n", u * 1000);
    std::printf("ratio workflow / bare: %.3f (goal: at most 1.10)\n", w / b);
    std::printf("ratio upright / bare:  %.3f (goal: about a metadata read, a small fraction)\n", u / b);
    return 0;
}
