#include "workflow/run_engine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

Plan numberedFiles(int count) {
    Plan files;
    for (int i = 0; i < count; ++i) files.push_back(plannedFor(std::to_string(i), TransformKind::Rotate270, false));
    return files;
}

// A substitute workflow: file i takes `duration(i)`, gives up early once the run is cancelled,
// and records which files it was handed and how many it held at once.
struct FakeWorkflow {
    RotateResult operator()(const PlannedPhoto& photo, const RunContext& run) {
        const int file = std::stoi(photo.path);
        count(+1, file);
        const auto end = std::chrono::steady_clock::now() + duration(file, run);
        while (std::chrono::steady_clock::now() < end && !run.cancelled()) std::this_thread::sleep_for(1ms);
        count(-1, file);
        if (file == 7 && !run.cancelled()) throw std::runtime_error("lost its way");
        RotateResult result;
        result.outcome = run.cancelled() ? FileOutcome::Cancelled : FileOutcome::Rotated;
        return result;
    }
    void count(int step, int file) {
        std::lock_guard<std::mutex> lock(mutex);
        if (step > 0) started.push_back(file);
        mostAtOnce = std::max(mostAtOnce, atOnce += step);
    }

    std::function<std::chrono::milliseconds(int, const RunContext&)> duration;
    std::vector<int> started{};
    int atOnce = 0, mostAtOnce = 0;
    std::mutex mutex{};
};

struct HandedBack {
    std::vector<std::string> paths;
    std::vector<RotateResult> results;
    std::vector<RunProgress> progress;
};

HandedBack run(const Plan& files, unsigned jobs, FakeWorkflow& workflow,
               const std::function<void(RunEngine&)>& onProgress = nullptr) {
    HandedBack back;
    RunEngine engine(jobs);
    RunHooks hooks;
    hooks.onResult = [&](const PlannedPhoto& file, const RotateResult& result) {
        back.paths.push_back(file.path);
        back.results.push_back(result);
    };
    hooks.onProgress = [&](const RunProgress& progress) {
        back.progress.push_back(progress);
        if (onProgress) onProgress(engine);
    };
    engine.run(files, std::ref(workflow), hooks);
    return back;
}

TEST(RunEngine, HandsBackEveryResultInListingOrderWhateverTheDurations) {
    Plan files = numberedFiles(12);
    files[5].knownRefusal.reason = RefusalReason::NotRegularFile;
    FakeWorkflow workflow{[](int file, const RunContext&) { return std::chrono::milliseconds((12 - file) * 4); }};  // the first slowest
    const HandedBack back = run(files, 4, workflow);

    std::vector<std::string> listed;
    for (const PlannedPhoto& file : files) listed.push_back(file.path);
    EXPECT_EQ(back.paths, listed);
    EXPECT_EQ(workflow.started.size(), 11u) << "the pipe is refused without being handed to the workflow";
    EXPECT_EQ(refusalText(back.results[5]), "not a regular file");
    EXPECT_EQ(refusalText(back.results[7]), "the turned file could not be written (lost its way)");
    EXPECT_TRUE(back.results[11].rotated());
    EXPECT_GT(workflow.mostAtOnce, 1);
    EXPECT_LE(workflow.mostAtOnce, 4);
    ASSERT_FALSE(back.progress.empty());
    for (size_t i = 1; i < back.progress.size(); ++i) EXPECT_LE(back.progress[i - 1].filesDone, back.progress[i].filesDone);
    EXPECT_EQ(back.progress.back().filesDone, 12u);
    EXPECT_EQ(back.progress.back().filesTotal, 12u);
}

// Cancel from inside a file (Ctrl-C) and from the hook while slow files are in hand (the
// window's Cancel, seen only because the hook runs while the run waits).
TEST(RunEngine, CancelStartsNoFurtherFileAndHandsBackTheFilesInHand) {
    struct Case {
        const char* name;
        int cancelAtFile;  // -1: the hook cancels
    };
    for (const Case& c : {Case{"from a file", 2}, Case{"from the hook", -1}}) {
        SCOPED_TRACE(c.name);
        FakeWorkflow workflow{[&](int file, const RunContext& run) {
            if (file == c.cancelAtFile) run.stop();
            return c.cancelAtFile < 0 ? 2s : 5ms;
        }};
        const HandedBack back = run(numberedFiles(10), 2, workflow, [&](RunEngine& engine) {
            if (c.cancelAtFile < 0) engine.cancel();
        });
        const int lastStart = c.cancelAtFile < 0 ? 1 : c.cancelAtFile + 1;  // the other worker may have begun one more
        ASSERT_LE(workflow.started.size(), static_cast<size_t>(lastStart + 1));
        ASSERT_EQ(back.paths.size(), workflow.started.size());
        for (size_t i = 0; i < back.paths.size(); ++i) EXPECT_EQ(back.paths[i], std::to_string(i));
        EXPECT_EQ(back.results.back().outcome, FileOutcome::Cancelled);
    }
}

TEST(RunEngine, AHookThatThrowsEndsTheRunAfterTheFilesInHand) {
    FakeWorkflow workflow{[](int, const RunContext&) { return 5ms; }};
    RunHooks hooks;
    hooks.onResult = [](const PlannedPhoto&, const RotateResult&) { throw std::runtime_error("window closed"); };
    EXPECT_THROW(RunEngine(2).run(numberedFiles(50), std::ref(workflow), hooks), std::runtime_error);
    EXPECT_LT(workflow.started.size(), 50u);
}

}  // namespace
