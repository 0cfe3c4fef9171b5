// pivora-cli --dry-run against the real run on a folder of 20 photos of 24 megapixels, half of
// them tagged upright and half sideways (Orientation 6), each as a quarter turn and with --auto,
// the runs interleaved round by round. A dry run reads headers only, so it should cost a small
// fraction of the turn; it must change no photo. Prints the medians and the ratios.
// Usage: dry_run_bench [ROUNDS]   (default 3)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"

namespace {

using testsupport::Bytes;

constexpr int kPhotoCount = 20;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string photoName(int i) { return "p" + std::to_string(i) + ".jpg"; }

void place(const testsupport::TempDir& dir, const std::vector<Bytes>& originals) {
    for (int i = 0; i < kPhotoCount; ++i) testsupport::writeFile(dir.file(photoName(i)), originals[i]);
    ::sync();  // the photos on disk before the clock starts
}

// Seconds of one run; false when it did not end as a run of these photos should.
bool timed(const std::vector<std::string>& args, double* seconds) {
    const auto start = std::chrono::steady_clock::now();
    const clitest::CliRun run = clitest::runCli(args);
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (run.status == 0) return true;
    std::fprintf(stderr, "dry_run_bench: pivora-cli failed: %s%s\n", run.out.c_str(), run.err.c_str());
    return false;
}

bool unchanged(const testsupport::TempDir& dir, const std::vector<Bytes>& originals) {
    for (int i = 0; i < kPhotoCount; ++i)
        if (testsupport::readFile(dir.file(photoName(i))) != originals[i]) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::fprintf(stderr, "making %d photos...\n", kPhotoCount);
    std::vector<Bytes> originals;
    std::size_t bytes = 0;
    for (int i = 0; i < kPhotoCount; ++i) {
        testsupport::CameraPhotoSpec recipe;
        recipe.width = 6000;
        recipe.height = 4000;
        recipe.quality = 90;
        recipe.seed = static_cast<std::uint32_t>(i + 1);
        recipe.thumbnailWidth = 160;
        recipe.thumbnailHeight = 120;
        recipe.orientation = i % 2 ? 6 : 1;
        originals.push_back(testsupport::makeCameraPhoto(recipe).jpeg);
        bytes += originals.back().size();
    }

    testsupport::TempDir dir;
    struct Pair {
        const char* name;
        std::vector<std::string> switches;
        std::vector<double> dry, real;
    } pairs[] = {{"quarter turn", {"--keep-times"}, {}, {}}, {"--auto", {"--keep-times", "--auto"}, {}, {}}};
    for (int round = 0; round < rounds; ++round) {
        for (Pair& pair : pairs) {
            std::vector<std::string> dryArgs = pair.switches, realArgs = pair.switches;
            dryArgs.insert(dryArgs.end(), {"--dry-run", dir.path()});
            realArgs.push_back(dir.path());
            double seconds = 0;
            place(dir, originals);
            if (!timed(dryArgs, &seconds)) return 1;
            if (!unchanged(dir, originals)) {
                std::fprintf(stderr, "dry_run_bench: a dry run changed a photo\n");
                return 1;
            }
            pair.dry.push_back(seconds);
            if (!timed(realArgs, &seconds)) return 1;
            pair.real.push_back(seconds);
        }
    }
    std::printf("%d photos of 6000 x 4000, 4:2:0, %.0f MB, half tagged 1 and half 6, %d rounds\n", kPhotoCount,
                static_cast<double>(bytes) / 1e6, rounds);
    for (const Pair& pair : pairs) {
        const double dry = median(pair.dry), real = median(pair.real);
        std::printf("%-13s dry run %.3f s, run %.2f s, ratio %.4f\n", pair.name, dry, real, dry / real);
    }
    return 0;
}
