// What Pivora's coefficient passes cost against a stock libjpeg coefficient copy of the same
// 24-megapixel 4:2:0 photo. For a camera photo: the transcodes "none" and "rotate 270"
// (transcodeJpegWith, file to file) and the whole per-file workflow (rotatePhoto), all ending
// in an fsync. For a plain photo with the standard Huffman tables and one with tables optimized
// for it (what image editors write): "rotate 270", whose tables are chosen after the turn.
// Every measurement runs in its own child process, so that each has its own peak memory and
// page-fault count; all of them alternate, each round starting with the next one, so that drift
// of the machine affects all alike. Prints medians and their ratios against the stock copy of
// the same photo, which Huffman tables each turn was written with, and how its size compares.
//
// Usage: transform_bench [rounds]   (default 5)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/status_line.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"
#include "workflow/coefficient_pass.h"
#include "workflow/huffman_tables.h"
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
    Series(const char* label, size_t photoIndex, std::function<int()> work, std::function<void()> before = nullptr)
        : name(label), photo(photoIndex), body(std::move(work)), prepare(std::move(before)) {}
    const char* name;
    size_t photo;                   // which photo it works on; its first series is the stock copy
    std::function<int()> body;      // runs in the child
    std::function<void()> prepare;  // if set, runs in the parent before each measurement
    std::vector<Measurement> runs;
};

struct Photo {
    const char* name;
    std::string path;
    std::string turnedTables;  // the Huffman tables of its turn
    double turnedGrowth = 0;   // the turned picture's size against the source's, in percent
    double optimalGrowth = 0;  // the same with libjpeg's own optimized tables for the turned picture
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

const Series& stockOf(const std::vector<Series>& series, size_t photo) {
    for (const Series& s : series)
        if (s.photo == photo) return s;
    return series.front();
}

const Series& named(const std::vector<Series>& series, size_t photo, const std::string& name) {
    for (const Series& s : series)
        if (s.photo == photo && s.name == name) return s;
    return series.front();
}

bool report(const std::vector<Series>& series, const std::vector<Photo>& photos, int rounds) {
    bool allOk = true;
    std::printf("\n%-26s %s\n", "", "wall of each round (s)");
    for (const Series& s : series) {
        std::printf("%-26s", (std::string(photos[s.photo].name) + ": " + s.name).c_str());
        for (const Measurement& m : s.runs) {
            std::printf(" %6.3f%s", m.seconds, m.ok ? "" : " FAILED");
            allOk = allOk && m.ok;
        }
        std::printf("\n");
    }
    std::printf("\nmedians of %d rounds          wall      cpu       wall/stock  cpu/stock  peak MB  minor faults\n",
                rounds);
    auto ratios = [&](const Series& s) {
        const Series& stock = stockOf(series, s.photo);
        return std::pair{medianOf(s, &Measurement::seconds) / medianOf(stock, &Measurement::seconds),
                         medianOf(s, &Measurement::cpuSeconds) / medianOf(stock, &Measurement::cpuSeconds)};
    };
    for (const Series& s : series) {
        auto [wall, cpu] = ratios(s);
        std::printf("%-28s %7.3f s %7.3f s  %8.2fx  %8.2fx  %7.1f  %12.0f\n",
                    (std::string(photos[s.photo].name) + ": " + s.name).c_str(), medianOf(s, &Measurement::seconds),
                    medianOf(s, &Measurement::cpuSeconds), wall, cpu, largestPeak(s),
                    medianOf(s, &Measurement::minorFaults));
    }
    std::printf("\nturned with the Huffman tables        size against the source's  (libjpeg's optimal tables)\n");
    for (const Photo& photo : photos)
        std::printf("  %-18s %-26s %+6.2f%%  (%+6.2f%%)\n", photo.name, photo.turnedTables.c_str(),
                    photo.turnedGrowth, photo.optimalGrowth);

    auto [turnWall, turnCpu] = ratios(named(series, 0, "rotate 270"));
    auto [flowWall, flowCpu] = ratios(named(series, 0, "workflow"));
    auto [standardWall, standardCpu] = ratios(named(series, 1, "rotate 270"));
    auto [optimizedWall, optimizedCpu] = ratios(named(series, 2, "rotate 270"));
    double peakGoal = 2 * coefficientMegabytes() + 30;
    std::printf("\ngoals:\n");
    std::printf("  camera photo, rotate 270 at most 0.65x the stock copy: wall %s, cpu %s\n",
                verdict(turnWall <= 0.65), verdict(turnCpu <= 0.65));
    std::printf("  camera photo, workflow at most 0.75x the stock copy:   wall %s, cpu %s\n",
                verdict(flowWall <= 0.75), verdict(flowCpu <= 0.75));
    std::printf("  peak of rotate 270 at most %.1f MB (twice %.1f MB of coefficients + 30 MB): %s\n", peakGoal,
                coefficientMegabytes(), verdict(largestPeak(named(series, 0, "rotate 270")) <= peakGoal));
    std::printf("  standard tables, rotate 270 at most 0.95x the stock copy:  wall %s, cpu %s\n",
                verdict(standardWall <= 0.95), verdict(standardCpu <= 0.95));
    std::printf("  optimized tables, rotate 270 at most 1.05x the stock copy: wall %s, cpu %s\n",
                verdict(optimizedWall <= 1.05), verdict(optimizedCpu <= 1.05));
    // The turn changes the picture's statistics: what libjpeg's own optimal tables take for the
    // turned picture shows how much of the growth is the picture's.
    const Photo& own = photos[2];
    std::printf("  optimized tables, turned at most 1%% larger than the source: %s (%+.2f%%; libjpeg's own\n"
                "    optimal tables for the turned picture: %+.2f%%)\n",
                verdict(own.turnedGrowth <= 1.0), own.turnedGrowth, own.optimalGrowth);
    if (!allOk) std::printf("SOME RUNS FAILED\n");
    return allOk;
}

// The photo turned once in memory, as "rotate 270" turns it, in a child so that the parent stays small.
void noteTurn(Photo& photo) {
    int channel[2];
    if (pipe(channel) != 0) return;
    Measurement turned = measureInChild([&] {
        Bytes jpeg = readFile(photo.path);
        CoefficientPassRequest request;
        request.input = jpeg.data();
        request.inputSize = jpeg.size();
        request.kind = TransformKind::Rotate270;
        CoefficientPassResult result = runCoefficientPass(request);
        if (!result.ok()) return 1;
        // The least the turned picture takes: libjpeg's own two-pass optimization of its tables.
        size_t optimal = withCoefficients(result.output, nullptr, true).size();
        char line[128];
        int length = std::snprintf(line, sizeof line, "%s\t%f\t%f", huffmanTablesName(result.tables),
                                   (double(result.output.size()) / double(jpeg.size()) - 1) * 100,
                                   (double(optimal) / double(jpeg.size()) - 1) * 100);
        return write(channel[1], line, size_t(length)) == length ? 0 : 1;
    });
    close(channel[1]);
    char line[128] = {};
    ssize_t got = read(channel[0], line, sizeof line - 1);
    close(channel[0]);
    if (!turned.ok || got <= 0) {
        photo.turnedTables = "(the turn FAILED)";
        return;
    }
    char* tab = std::strchr(line, '\t');
    if (!tab) return;
    photo.turnedTables.assign(line, tab);
    photo.turnedGrowth = std::strtod(tab + 1, &tab);
    photo.optimalGrowth = std::strtod(tab, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TempDir dir;
    const std::string output = dir.file("out.jpg"), turned = dir.file("turned.jpg");
    std::vector<Photo> photos = {{"camera photo", dir.file("camera.jpg"), {}, 0, 0},
                                 {"standard tables", dir.file("standard.jpg"), {}, 0, 0},
                                 {"optimized tables", dir.file("optimized.jpg"), {}, 0, 0}};

    // Made in a child so that the parent, and so every measuring child, starts small.
    Measurement made = measureInChild([&] {
        CameraPhotoSpec recipe;
        recipe.width = kWidth;
        recipe.height = kHeight;
        recipe.thumbnailWidth = 160;
        recipe.thumbnailHeight = 120;
        writeFile(photos[0].path, makeCameraPhoto(recipe).jpeg);
        JpegSpec plain;
        plain.width = kWidth;
        plain.height = kHeight;
        writeFile(photos[1].path, makeJpeg(plain));
        plain.optimizedTables = true;
        writeFile(photos[2].path, makeJpeg(plain));
        return 0;
    });
    if (!made.ok) {
        std::fprintf(stderr, "could not make the test photos\n");
        return 1;
    }
    std::printf("%d x %d 4:2:0 photos with %.1f MB of coefficients:\n", kWidth, kHeight, coefficientMegabytes());
    for (Photo& photo : photos) {
        std::printf("  %-18s %.1f MB\n", photo.name, static_cast<double>(std::filesystem::file_size(photo.path)) / 1e6);
        noteTurn(photo);
    }
    std::printf("transparent huge pages: %s\n", hugePageSetting().c_str());

    auto transcode = [&](size_t photo, TransformKind kind) {
        return [&, photo, kind] {
            TranscodeRequest request;
            request.input = photos[photo].path;
            request.output = output;
            request.kind = kind;
            return transcodeJpegWith(request).ok() ? 0 : 1;
        };
    };
    auto stockCopy = [&](size_t photo) {
        return [&, photo] {
            execl(STOCK_COPY_PATH, "stock_copy", photos[photo].path.c_str(), output.c_str(), nullptr);
            return 127;
        };
    };
    std::vector<Series> series;
    series.emplace_back("stock copy", 0, stockCopy(0));
    series.emplace_back("none", 0, transcode(0, TransformKind::None));
    series.emplace_back("rotate 270", 0, transcode(0, TransformKind::Rotate270));
    series.emplace_back(
        "workflow", 0,
        [&] {
            platform::SilentStatusLine status;
            return rotatePhoto(turned, ProcessingOptions{}, TurnSettings{}, status).rotated() ? 0 : 1;
        },
        [&] { std::filesystem::copy_file(photos[0].path, turned, std::filesystem::copy_options::overwrite_existing); });
    for (size_t photo = 1; photo < photos.size(); ++photo) {
        series.emplace_back("stock copy", photo, stockCopy(photo));
        series.emplace_back("rotate 270", photo, transcode(photo, TransformKind::Rotate270));
    }

    for (int round = 0; round < rounds; ++round)
        for (size_t k = 0; k < series.size(); ++k) {
            Series& s = series[(static_cast<size_t>(round) + k) % series.size()];
            if (s.prepare) s.prepare();
            s.runs.push_back(measureInChild(s.body));
        }

    double load[1] = {0};
    if (getloadavg(load, 1) == 1)
        std::printf("load average %.2f on %ld cores: wall times suffer from other work, cpu times much less\n", load[0],
                    sysconf(_SC_NPROCESSORS_ONLN));
    return report(series, photos, rounds) ? 0 : 1;
}
