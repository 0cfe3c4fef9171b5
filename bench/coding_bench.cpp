// What keeping the source's coding costs: for a 24-megapixel 4:2:0 photo in each coding, the
// quarter turn through the coefficient pass in memory against the "none" pass of the same file
// and against the bare turn of the transform driver (standard tables, no coding kept: what the
// pass did with every photo before), and the size of the turned file against the source's. The
// last row is the baseline photo with the standard tables again, turned with optimize asked.
// CPU time of the measuring thread, median of the repetitions; the kinds alternate.
//
// Usage: coding_bench [repetitions]   (default 3)

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"
#include "workflow/coefficient_pass.h"

namespace {

using namespace testsupport;

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Coding {
    const char* name;
    bool progressive, arithmetic, optimizedTables, optimizeAsked;
};

CoefficientPassResult pass(const Bytes& jpeg, TransformKind kind, bool optimize) {
    CoefficientPassRequest request;
    request.input = jpeg.data();
    request.inputSize = jpeg.size();
    request.kind = kind;
    request.trimPartialBlocks = true;
    request.optimize = optimize;
    return runCoefficientPass(request);
}

// Runs each of `runs` once per repetition, in a rotating order; the median CPU time of each.
std::vector<double> measure(int repetitions, const std::vector<std::function<bool()>>& runs, bool* allOk) {
    std::vector<std::vector<double>> times(runs.size());
    for (int i = 0; i < repetitions; ++i)
        for (size_t k = 0; k < runs.size(); ++k) {
            size_t which = (k + static_cast<size_t>(i)) % runs.size();
            double start = threadSeconds();
            *allOk = runs[which]() && *allOk;
            times[which].push_back(threadSeconds() - start);
        }
    std::vector<double> medians;
    for (const std::vector<double>& t : times) medians.push_back(medianOf(t));
    return medians;
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const Coding codings[] = {
        {"baseline, standard tables", false, false, false, false},
        {"baseline, optimized tables", false, false, true, false},
        {"progressive", true, false, false, false},
        {"arithmetic", false, true, false, false},
        {"baseline, standard, optimize asked", false, false, false, true},
    };
    std::printf("6000 x 4000 4:2:0 photos, quality 90; cpu seconds, median of %d\n\n", repetitions);
    std::printf("%-36s %6s %8s %8s %8s %10s %12s %8s\n", "coding", "MiB", "driver", "none", "turn", "turn/none",
                "turn/driver", "size");
    bool allOk = true;
    for (const Coding& coding : codings) {
        JpegSpec recipe;
        recipe.width = 6000;
        recipe.height = 4000;
        std::tie(recipe.progressive, recipe.arithmetic, recipe.optimizedTables) =
            std::tie(coding.progressive, coding.arithmetic, coding.optimizedTables);
        const Bytes jpeg = makeJpeg(recipe);
        size_t turnedSize = 0;
        std::vector<double> t = measure(
            repetitions,
            {[&] { return !transformInMemory(jpeg, TransformKind::Rotate270, true).empty(); },
             [&] { return pass(jpeg, TransformKind::None, coding.optimizeAsked).ok(); },
             [&] {
                 CoefficientPassResult turned = pass(jpeg, TransformKind::Rotate270, coding.optimizeAsked);
                 turnedSize = turned.output.size();
                 return turned.ok();
             }},
            &allOk);
        std::printf("%-36s %6.1f %7.3fs %7.3fs %7.3fs %9.2fx %11.2fx %+7.1f%%\n", coding.name,
                    static_cast<double>(jpeg.size()) / (1024 * 1024), t[0], t[1], t[2], t[2] / t[1], t[2] / t[0],
                    (static_cast<double>(turnedSize) / static_cast<double>(jpeg.size()) - 1) * 100);
    }
    std::printf("\ndriver: the transform driver's bare turn (standard tables, nothing of the coding kept)\n");
    if (!allOk) std::printf("SOME RUNS FAILED\n");
    return allOk ? 0 : 1;
}
