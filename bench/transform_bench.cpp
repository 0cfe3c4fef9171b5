// What Pivora's coefficient passes cost against a stock libjpeg coefficient copy of the same
// 24-megapixel 4:2:0 camera photo: the transcodes "none" and "rotate 270" (transcodeJpegWith,
// file to file) and the whole per-file workflow (rotatePhoto), all ending in an fsync.
// Every measurement runs in its own child process, so that each has its own peak memory and
// page-fault count; the four alternate, each round starting with the next one, so that drift of
// the machine affects all alike. Prints medians and their ratios against the stock copy.
//
// Usage: transform_bench [rounds]   (default 5)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/status_line.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/transcode_jpeg.h"

namespace {

using namespace testsupport;

constexpr int kWidth = 6000, kHeight = 4000;

struct Measurement {
    bool ok = false;
    double seconds = 0;     // wall clock from fork to the child's end
    double cpuSeconds = 0;  // user and system time of the child: robust on a machine shared with others
    double peakMegabytes = 0;
    long minorFaults = 0;
};

// Runs body in a forked child whose exit status is the body's result; the parent takes the
// child's time, peak resident size and page faults from wait4.
Measurement measureInChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) {
        int result = 1;
        try {
            result = body();
        } catch (...) {
        }
        _exit(result);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return {};
    Measurement result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    auto toSeconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    result.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    result.peakMegabytes = usage.ru_maxrss * 1024.0 / 1e6;
    result.minorFaults = usage.ru_minflt;
    return result;
}

struct Series {
    Series(const char* label, std::function<int()> work, std::function<void()> before = nullptr)
        : name(label), body(std::move(work)), prepare(std::move(before)) {}
    const char* name;
    std::function<int()> body;      // runs in the child
    std::function<void()> prepare;  // if set, runs in the parent before each measurement
    std::vector<Measurement> runs;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename Field>
double medianOf(const Series& series, Field field) {
    std::vector<double> values;
    for (const Measurement& m : series.runs) values.push_back(static_cast<double>(m.*field));
    return median(values);
}

double largestPeak(const Series& series) {
    double peak = 0;
    for (const Measurement& m : series.runs) peak = std::max(peak, m.peakMegabytes);
    return peak;
}

// Source arrays of a 4:2:0 photo as libjpeg sizes them: luminance in whole 2 x 2 groups of blocks.
double coefficientMegabytes() {
    auto blocks = [](int pixels, int unit) { return (pixels + unit - 1) / unit; };
    auto evenUp = [](int n) { return (n + 1) / 2 * 2; };
    double luma = double(evenUp(blocks(kWidth, 8))) * evenUp(blocks(kHeight, 8));
    double chroma = double(blocks(kWidth, 16)) * blocks(kHeight, 16);
    return (luma + 2 * chroma) * sizeof(JBLOCK) / 1e6;
}

std::string hugePageSetting() {
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string line;
    return std::getline(setting, line) ? line : "unknown";
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

bool report(const std::vector<Series>& series, int rounds) {
    bool allOk = true;
    std::printf("\n%-12s %s\n", "", "wall of each round (s)");
    for (const Series& s : series) {
        std::printf("%-12s", s.name);
        for (const Measurement& m : s.runs) {
            std::printf(" %6.3f%s", m.seconds, m.ok ? "" : " FAILED");
            allOk = allOk && m.ok;
        }
        std::printf("\n");
    }
    const Series& stock = series.front();
    double stockWall = medianOf(stock, &Measurement::seconds), stockCpu = medianOf(stock, &Measurement::cpuSeconds);
    std::printf("\nmedians of %d rounds  wall      cpu       wall/stock  cpu/stock  peak MB  minor faults\n", rounds);
    for (const Series& s : series) {
        double wall = medianOf(s, &Measurement::seconds), cpu = medianOf(s, &Measurement::cpuSeconds);
        std::printf("%-20s %7.3f s %7.3f s  %8.2fx  %8.2fx  %7.1f  %12.0f\n", s.name, wall, cpu, wall / stockWall,
                    cpu / stockCpu, largestPeak(s), medianOf(s, &Measurement::minorFaults));
    }
    auto ratios = [&](const Series& s) {
        return std::pair{medianOf(s, &Measurement::seconds) / stockWall,
                         medianOf(s, &Measurement::cpuSeconds) / stockCpu};
    };
    auto [turnWall, turnCpu] = ratios(series[2]);
    auto [flowWall, flowCpu] = ratios(series[3]);
    double peakGoal = 2 * coefficientMegabytes() + 30;
    std::printf("\ngoals:\n");
    std::printf("  rotate 270 at most 0.65x the stock copy: wall %s, cpu %s\n", verdict(turnWall <= 0.65),
                verdict(turnCpu <= 0.65));
    std::printf("  workflow at most 0.75x the stock copy:   wall %s, cpu %s\n", verdict(flowWall <= 0.75),
                verdict(flowCpu <= 0.75));
    std::printf("  peak of rotate 270 at most %.1f MB (twice %.1f MB of coefficients + 30 MB): %s\n", peakGoal,
                coefficientMegabytes(), verdict(largestPeak(series[2]) <= peakGoal));
    if (!allOk) std::printf("SOME RUNS FAILED\n");
    return allOk;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TempDir dir;
    const std::string photo = dir.file("photo.jpg"), output = dir.file("out.jpg"), turned = dir.file("turned.jpg");

    // Made in a child so that the parent, and so every measuring child, starts small.
    Measurement made = measureInChild([&] {
        CameraPhotoSpec recipe;
        recipe.width = kWidth;
        recipe.height = kHeight;
        recipe.thumbnailWidth = 160;
        recipe.thumbnailHeight = 120;
        writeFile(photo, makeCameraPhoto(recipe).jpeg);
        return 0;
    });
    if (!made.ok) {
        std::fprintf(stderr, "could not make the test photo\n");
        return 1;
    }
    std::printf("%d x %d 4:2:0 camera photo with an Exif thumbnail, %.1f MB, %.1f MB of coefficients\n", kWidth,
                kHeight, static_cast<double>(std::filesystem::file_size(photo)) / 1e6, coefficientMegabytes());
    std::printf("transparent huge pages: %s\n", hugePageSetting().c_str());

    auto transcode = [&](TransformKind kind) {
        TranscodeRequest request;
        request.input = photo;
        request.output = output;
        request.kind = kind;
        return transcodeJpegWith(request).ok() ? 0 : 1;
    };
    std::vector<Series> series;
    series.emplace_back("stock copy", [&] {
        execl(STOCK_COPY_PATH, "stock_copy", photo.c_str(), output.c_str(), nullptr);
        return 127;
    });
    series.emplace_back("none", [&] { return transcode(TransformKind::None); });
    series.emplace_back("rotate 270", [&] { return transcode(TransformKind::Rotate270); });
    series.emplace_back(
        "workflow",
        [&] {
            platform::SilentStatusLine status;
            return rotatePhoto(turned, ProcessingOptions{}, TurnSettings{}, status).rotated() ? 0 : 1;
        },
        [&] { std::filesystem::copy_file(photo, turned, std::filesystem::copy_options::overwrite_existing); });

    for (int round = 0; round < rounds; ++round)
        for (size_t k = 0; k < series.size(); ++k) {
            Series& s = series[(round + k) % series.size()];
            if (s.prepare) s.prepare();
            s.runs.push_back(measureInChild(s.body));
        }

    double load[1] = {0};
    if (getloadavg(load, 1) == 1)
        std::printf("load average %.2f on %ld cores: wall times suffer from other work, cpu times much less\n", load[0],
                    sysconf(_SC_NPROCESSORS_ONLN));
    return report(series, rounds) ? 0 : 1;
}
