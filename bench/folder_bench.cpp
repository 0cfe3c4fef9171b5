// pivora-cli on a folder of 16 photos of 12 megapixels, with --jobs 1 and with the default (one
// job for each core), the two runs interleaved round by round. Every photo must come out exact
// and both runs must print the same lines. Prints the medians and the speed-up.
// Usage: folder_bench [ROUNDS]   (default 3)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"
#include "tests/support/transform_driver.h"
#include "workflow/run_engine.h"

namespace {

using testsupport::Bytes;

constexpr int kPhotoCount = 16;

// The processor time the finished children have used, in seconds.
double childProcessorSeconds() {
    rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string photoName(int i) { return "p" + std::to_string(i) + ".jpg"; }

bool sameCoefficients(const Bytes& a, const Bytes& b) {
    const testsupport::JpegCoefficients x = testsupport::readCoefficients(a), y = testsupport::readCoefficients(b);
    if (x.width != y.width || x.height != y.height || x.components.size() != y.components.size()) return false;
    for (size_t c = 0; c < x.components.size(); ++c)
        if (x.components[c].blocks != y.components[c].blocks) return false;
    return x.quantTables == y.quantTables;
}

struct Run {
    double seconds = 0;
    double processorSeconds = 0;
    clitest::CliRun result;
    std::vector<Bytes> photos;
};

Run runOnce(const testsupport::TempDir& dir, const std::vector<Bytes>& originals, const char* jobs) {
    for (int i = 0; i < kPhotoCount; ++i) testsupport::writeFile(dir.file(photoName(i)), originals[i]);
    ::sync();  // the photos on disk before the clock starts: the run's own flushes would write them otherwise
    std::vector<std::string> args{"--keep-times", dir.path()};
    if (jobs) args.insert(args.begin(), {"--jobs", jobs});
    Run run;
    const auto start = std::chrono::steady_clock::now();
    const double processorBefore = childProcessorSeconds();
    run.result = clitest::runCli(args);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.processorSeconds = childProcessorSeconds() - processorBefore;
    for (int i = 0; i < kPhotoCount; ++i) run.photos.push_back(testsupport::readFile(dir.file(photoName(i))));
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::fprintf(stderr, "making %d photos...\n", kPhotoCount);
    std::vector<Bytes> originals;
    for (int i = 0; i < kPhotoCount; ++i) {
        testsupport::CameraPhotoSpec recipe;
        recipe.width = 4000;
        recipe.height = 3000;
        recipe.quality = 92;
        recipe.seed = static_cast<std::uint32_t>(i + 1);
        recipe.thumbnailWidth = 160;
        recipe.thumbnailHeight = 120;
        originals.push_back(testsupport::makeCameraPhoto(recipe).jpeg);
    }

    testsupport::TempDir dir;
    std::vector<double> oneJob, allJobs, oneJobProcessor, allJobsProcessor;
    Run reference;
    for (int round = 0; round < rounds; ++round) {
        for (const char* jobs : {"1", static_cast<const char*>(nullptr)}) {
            Run run = runOnce(dir, originals, jobs);
            if (run.result.status != 0) {
                std::fprintf(stderr, "folder_bench: pivora-cli failed: %s\n", run.result.err.c_str());
                return 1;
            }
            (jobs ? oneJob : allJobs).push_back(run.seconds);
            (jobs ? oneJobProcessor : allJobsProcessor).push_back(run.processorSeconds);
            if (reference.photos.empty()) {
                for (int i = 0; i < kPhotoCount; ++i) {
                    if (!sameCoefficients(run.photos[i], testsupport::transformInMemory(originals[i], TransformKind::Rotate270))) {
                        std::fprintf(stderr, "folder_bench: %s is not the exact turn\n", photoName(i).c_str());
                        return 1;
                    }
                }
                reference = std::move(run);
            } else if (run.photos != reference.photos || run.result.out != reference.result.out) {
                std::fprintf(stderr, "folder_bench: a run with %s job(s) differs from the first\n", jobs ? jobs : "default");
                return 1;
            }
        }
    }
    const unsigned cores = defaultJobCount();
    const double one = median(oneJob), all = median(allJobs);
    std::printf("%d photos of 4000 x 3000, 4:2:0, %d rounds, %u cores\n", kPhotoCount, rounds, cores);
    // Processor time near the wall time of --jobs 1 says the bench had the cores to itself.
    std::printf("--jobs 1:  %.2f s (processor %.2f s)\n", one, median(oneJobProcessor));
    std::printf("default:   %.2f s (processor %.2f s)\n", all, median(allJobsProcessor));
    std::printf("speed-up:  %.2f (goal: at least %.2f); every photo exact, the printed results identical\n", one / all,
                0.85 * cores);
    return 0;
}
