// The review window's work without a window: a folder of 1,000 photos of 24 megapixels (half with
// an Exif thumbnail of the picture's proportions, half without any), their tiles made on every
// core as the window makes them (the tile loader, nearest to the view first): the time to the
// first screen of tiles and to all of them, against the time of one turn of such a photo, and the
// peak memory meanwhile; then the time to open (list and plan) a folder of 10,000 photos.
// Usage: review_bench [PHOTOS]   (default 1000)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/status_line.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "workflow/folder_walk.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/run_engine.h"
#include "workflow/tile_loader.h"

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::Bytes;

constexpr int kFirstScreen = 24;          // 6 tiles across, 4 down: the review window's first screen
constexpr TileBox kTile{160, 160};        // a tile's picture
constexpr std::size_t kCache = 64u << 20;  // as the window keeps them
constexpr int kOpenPhotos = 10000;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The peak resident memory of this process since the last reset, in megabytes (VmHWM).
double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}
// Starts a new peak from what is resident now (Linux: "5" to clear_refs).
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::string name(int i) {
    char text[32];
    std::snprintf(text, sizeof text, "IMG_%05d.jpg", i);
    return text;
}

// Two different photos of each kind, copied under the folder's names.
std::vector<std::string> makeFolder(const testsupport::TempDir& dir, int count) {
    std::vector<Bytes> kinds;
    for (int k = 0; k < 4; ++k) {
        testsupport::CameraPhotoSpec recipe;
        recipe.width = 6000;
        recipe.height = 4000;
        recipe.quality = 90;
        recipe.noise = 24;  // about 7.5 MB, as a camera's photo of a detailed scene
        recipe.seed = static_cast<std::uint32_t>(k + 1);
        recipe.thumbnailWidth = 160;
        recipe.thumbnailHeight = 107;
        recipe.withExif = k % 2 == 0;
        kinds.push_back(testsupport::makeCameraPhoto(recipe).jpeg);
        std::fprintf(stderr, "photo %d: %.1f MB%s\n", k, kinds.back().size() / 1e6, recipe.withExif ? ", thumbnail" : "");
    }
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(dir.file(name(i)));
        testsupport::writeFile(paths.back(), kinds[static_cast<std::size_t>(i % 4)]);
    }
    return paths;
}

double oneTurn(const std::string& photo) {
    ProcessingOptions options;
    TurnSettings settings;
    platform::SilentStatusLine quiet;
    const Clock::time_point start = Clock::now();
    const RotateResult result = rotatePhoto(photo, options, settings, quiet);
    const double seconds = secondsSince(start);
    if (!result.rotated()) std::fprintf(stderr, "review_bench: the turn failed: %s\n", refusalText(result).c_str());
    return seconds;
}

// The processor time of this process so far, in seconds: in itself, and in the system for it.
struct Processor {
    double user = 0, system = 0;
};
Processor processorSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

struct TileTimes {
    double firstScreen = 0, all = 0, peak = 0;
    Processor processor;
    int made = 0, fromThumbnail = 0, refused = 0;
};

TileTimes makeTiles(const std::vector<std::string>& paths) {
    resetPeak();
    TileTimes times;
    const Processor processorBefore = processorSeconds();
    const Clock::time_point start = Clock::now();
    TileLoader loader(paths, kTile, 0, kCache, nullptr);
    std::vector<std::size_t> everything(paths.size());
    for (std::size_t i = 0; i < everything.size(); ++i) everything[i] = i;
    loader.want(everything);  // as if the view went through the whole folder: the nearest first
    std::vector<bool> shown(paths.size(), false);
    int firstScreenLeft = std::min<int>(kFirstScreen, static_cast<int>(paths.size()));
    while (times.made + times.refused < static_cast<int>(paths.size())) {
        for (const LoadedPhoto& found : loader.take()) {
            if (!found.picture) {
                ++times.refused;
                continue;
            }
            ++times.made;
            if (found.index < static_cast<std::size_t>(kFirstScreen) && --firstScreenLeft == 0)
                times.firstScreen = secondsSince(start);
            const std::shared_ptr<const TilePixels> picture = loader.picture(found.index);
            if (picture && picture->fromThumbnail) ++times.fromThumbnail;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    times.all = secondsSince(start);
    const Processor after = processorSeconds();
    times.processor = {after.user - processorBefore.user, after.system - processorBefore.system};
    times.peak = peakMegabytes();
    return times;
}

// Lists the folder and plans it, as the review does when it opens.
double openFolder(const std::string& folder, std::size_t* photos) {
    const Clock::time_point start = Clock::now();
    ProcessingOptions options;
    RunListing listing(options, {}, nullptr, false);
    listing.add(folder);
    const Plan plan = planOf(listing.files(), TransformKind::Rotate270, false);
    std::vector<std::string> paths;
    paths.reserve(plan.size());
    for (const PlannedPhoto& photo : plan) paths.push_back(photo.path);
    TileLoader loader(paths, kTile, 0, kCache, nullptr);
    *photos = plan.size();
    return secondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(kFirstScreen, std::atoi(argv[1])) : 1000;
    testsupport::TempDir dir;
    std::fprintf(stderr, "making %d photos...\n", count);
    const std::vector<std::string> paths = makeFolder(dir, count);
    ::sync();  // the photos on disk before the clock starts, as a folder a user opens

    testsupport::TempDir turnDir;
    const std::string turned = turnDir.file("turned.jpg");
    testsupport::writeFile(turned, testsupport::readFile(paths[1]));
    const double turn = oneTurn(turned);

    const TileTimes tiles = makeTiles(paths);
    std::printf("%d photos of 6000 x 4000, half with an Exif thumbnail; %u cores\n", count, defaultJobCount());
    std::printf("one turn:       %.3f s\n", turn);
    std::printf("first screen:   %.3f s (%d tiles; goal: under 1 s)\n", tiles.firstScreen, kFirstScreen);
    std::printf("all tiles:      %.2f s (%.1f turns; goal: under 15 s on 2 cores), %d from thumbnails, %d refused\n",
                tiles.all, tiles.all / turn, tiles.fromThumbnail, tiles.refused);
    // Processor time near twice the wall time says the bench had both cores to itself.
    std::printf("                processor %.2f s (%.2f s of it in the system)\n", tiles.processor.user + tiles.processor.system,
                tiles.processor.system);
    std::printf("peak memory:    %.0f MB while the tiles were made (goal: under 400 MB)\n", tiles.peak);

    testsupport::TempDir many;
    const Bytes small = testsupport::makeCameraPhoto({}).jpeg;
    for (int i = 0; i < kOpenPhotos; ++i) testsupport::writeFile(many.file(name(i)), small);
    std::size_t listed = 0;
    const double open = openFolder(many.path(), &listed);
    std::printf("open %zu photos: %.3f s (goal: under 2 s)\n", listed, open);
    return 0;
}
