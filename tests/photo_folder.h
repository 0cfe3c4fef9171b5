#pragma once
// Camera photos for the end-to-end runs over a folder, with what one complete run of pivora-cli
// makes of them (timed, so that a test can aim its kills).

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"

namespace clitest {

using testsupport::Bytes;

// The arguments of a run over `paths` with `options` in front.
inline std::vector<std::string> withOptions(std::vector<std::string> options, const std::vector<std::string>& paths) {
    options.insert(options.end(), paths.begin(), paths.end());
    return options;
}

struct PhotoSet {
    // `count` photos of both byte orders, a few with the thumbnail not at the end of the block;
    // `byTag`: of every Orientation value (0 for none) and turned by it, else by the fixed turn.
    explicit PhotoSet(int count, const std::vector<std::string>& env = {}, bool byTag = false) : options{"--keep-times"} {
        if (byTag) options.push_back("--auto");
        testsupport::TempDir reference;
        for (int i = 0; i < count; ++i) {
            testsupport::CameraPhotoSpec recipe;
            recipe.seed = static_cast<std::uint32_t>(i + 1);
            recipe.order = i % 2 ? testsupport::ByteOrder::Motorola : testsupport::ByteOrder::Intel;
            recipe.thumbnailAtEnd = i % 7 != 3;
            if (byTag) recipe.orientation = i % 9;
            originals.push_back(testsupport::makeCameraPhoto(recipe).jpeg);
        }
        writeInto(reference.path());
        const auto start = std::chrono::steady_clock::now();
        const CliRun run = runCli(withOptions(options, {reference.path()}), env);
        fullRunMicros = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                            .count();
        EXPECT_EQ(run.status, 0) << run.err;
        for (int i = 0; i < count; ++i) rotated.push_back(testsupport::readFile(reference.path() + "/" + name(i)));
    }

    static std::string name(int i) { return "p" + std::to_string(i) + ".jpg"; }
    int count() const { return static_cast<int>(originals.size()); }
    // The untouched photos written into `folder`.
    void writeInto(const std::string& folder) const {
        for (int i = 0; i < count(); ++i) testsupport::writeFile(folder + "/" + name(i), originals[i]);
    }
    // The paths of every `step`th photo from `first` on: one run's share of the folder.
    std::vector<std::string> share(const std::string& folder, int first, int step) const {
        std::vector<std::string> paths;
        for (int i = first; i < count(); i += step) paths.push_back(folder + "/" + name(i));
        return paths;
    }

    std::vector<std::string> options;  // of the run that turned them
    std::vector<Bytes> originals, rotated;
    long fullRunMicros = 0;
};

}  // namespace clitest
