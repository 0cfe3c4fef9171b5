// What the quarter turn costs over the same coefficient pass without a transform, for a
// 24-megapixel 4:2:0 photo: time and peak memory of "rotate 270" against "none".
// Each measurement runs in its own child process, so that each has its own peak memory;
// the two kinds alternate, so that drift of the machine affects both alike.
//
// Usage: transform_bench [repetitions]   (default 5)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"
#include "workflow/transcode_jpeg.h"

namespace {

using namespace testsupport;

struct Measurement {
    bool ok = false;
    double seconds = 0;     // wall clock, as the child measured it
    double cpuSeconds = 0;  // user and system time of the child: robust on a machine shared with others
    long peakKilobytes = 0;
};

// Runs work in a forked child; the child reports its own elapsed time through a pipe and the
// parent takes the child's peak resident size from wait4.
Measurement measureInChild(const std::function<bool()>& work) {
    int channel[2];
    if (pipe(channel) != 0) return {};
    pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) {
        close(channel[0]);
        auto start = std::chrono::steady_clock::now();
        bool ok = false;
        try {
            ok = work();
        } catch (...) {
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bool written = write(channel[1], &seconds, sizeof seconds) == static_cast<ssize_t>(sizeof seconds);
        _exit(ok && written ? 0 : 1);
    }
    close(channel[1]);
    Measurement result;
    bool received = read(channel[0], &result.seconds, sizeof result.seconds) == static_cast<ssize_t>(sizeof result.seconds);
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return {};
    result.ok = received && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peakKilobytes = usage.ru_maxrss;
    auto toSeconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    result.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    return result;
}

struct Series {
    std::string name;
    std::vector<Measurement> runs;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double medianOf(const Series& series, double Measurement::*field) {
    std::vector<double> values;
    for (const Measurement& m : series.runs) values.push_back(m.*field);
    return median(values);
}

long largestPeak(const Series& series) {
    long peak = 0;
    for (const Measurement& m : series.runs) peak = std::max(peak, m.peakKilobytes);
    return peak;
}

bool report(const char* path, const Series& none, const Series& turned) {
    bool allOk = true;
    std::printf("\n%s\n             %-23s %-23s\n", path, none.name.c_str(), turned.name.c_str());
    std::printf("  run        wall      cpu          wall      cpu\n");
    for (size_t i = 0; i < none.runs.size(); ++i) {
        const Measurement& a = none.runs[i];
        const Measurement& b = turned.runs[i];
        std::printf("  %3zu     %7.3f s %7.3f s    %7.3f s %7.3f s\n", i + 1, a.seconds, a.cpuSeconds, b.seconds,
                    b.cpuSeconds);
        allOk = allOk && a.ok && b.ok;
    }
    for (auto [label, field] : {std::pair{"wall", &Measurement::seconds}, std::pair{"cpu ", &Measurement::cpuSeconds}}) {
        double base = medianOf(none, field);
        double cost = medianOf(turned, field);
        std::printf("  median %s: %7.3f s against %7.3f s, ratio %.3f (%+.1f%%)\n", label, cost, base, cost / base,
                    (cost / base - 1) * 100);
    }
    std::printf("  peak memory: %.1f MiB against %.1f MiB\n", largestPeak(turned) / 1024.0, largestPeak(none) / 1024.0);
    double cpuRatio = medianOf(turned, &Measurement::cpuSeconds) / medianOf(none, &Measurement::cpuSeconds);
    std::printf("  goal, at most 10%% over none in cpu time: %s\n", cpuRatio <= 1.10 ? "met" : "MISSED");
    if (!allOk) std::printf("  SOME RUNS FAILED\n");
    return allOk;
}

// Alternates the two kinds, starting with the other one on every repetition.
void measureAlternately(int repetitions, Series& none, Series& turned, const std::function<bool(bool)>& run) {
    for (int i = 0; i < repetitions; ++i) {
        bool turnFirst = i % 2 == 1;
        for (int k = 0; k < 2; ++k) {
            bool turn = (k == 0) == turnFirst;
            (turn ? turned : none).runs.push_back(measureInChild([&] { return run(turn); }));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TempDir dir;
    std::string photo = dir.file("photo.jpg");
    std::string output = dir.file("turned.jpg");

    // Made in a child so that the parent, and so every measuring child, starts small.
    Measurement made = measureInChild([&] {
        JpegSpec recipe;
        recipe.width = 6000;
        recipe.height = 4000;
        recipe.lumaH = 2;
        recipe.lumaV = 2;
        recipe.quality = 90;
        writeFile(photo, makeJpeg(recipe));
        return true;
    });
    if (!made.ok) {
        std::fprintf(stderr, "could not make the test photo\n");
        return 1;
    }
    std::printf("6000 x 4000 4:2:0 photo, %.1f MiB, made in %.1f s; %d repetitions of each kind\n",
                static_cast<double>(readFile(photo).size()) / (1024 * 1024), made.seconds, repetitions);

    Series fileNone{"none", {}}, fileTurned{"rotate 270", {}};
    measureAlternately(repetitions, fileNone, fileTurned, [&](bool turn) {
        return transcodeJpeg(photo.c_str(), output.c_str(), turn ? "rotate 270" : "none", 1) == 1;
    });
    Series memoryNone{"none", {}}, memoryTurned{"rotate 270", {}};
    measureAlternately(repetitions, memoryNone, memoryTurned, [&](bool turn) {
        Bytes jpeg = readFile(photo);
        return !transformInMemory(jpeg, turn ? TransformKind::Rotate270 : TransformKind::None).empty();
    });

    double load[1] = {0};
    if (getloadavg(load, 1) == 1)
        std::printf("load average %.2f on %ld cores: wall times suffer from other work, cpu times much less\n", load[0],
                    sysconf(_SC_NPROCESSORS_ONLN));
    bool ok = report("transcodeJpeg, file to file:", fileNone, fileTurned);
    ok = report("in memory (transform driver, no file I/O):", memoryNone, memoryTurned) && ok;
    return ok ? 0 : 1;
}
