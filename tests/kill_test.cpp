// pivora-cli killed with SIGKILL at random moments while it rotates a folder: every photograph
// stays whole (the untouched original or the complete rotated file), and what a killed run
// leaves behind is at most one temporary file, which a later run removes.

#include <gtest/gtest.h>
#include <signal.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "workflow/stray_files.h"

namespace {

using namespace testsupport;

constexpr int kPhotoCount = 30;

std::string photoName(int i) { return "p" + std::to_string(i) + ".jpg"; }

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int killCount() {
    const char* longTests = std::getenv("PIVORA_LONG_TESTS");
    return longTests && std::string(longTests) == "1" ? 200 : 20;
}

class KilledRun : public ::testing::Test {
protected:
    void SetUp() override {
        // A killed run may leave its private thumbnail folder behind: keep those in the test's own.
        const char* tmpdir = std::getenv("TMPDIR");
        if (tmpdir) oldTmpdir = tmpdir;
        setenv("TMPDIR", scratch.path().c_str(), 1);
        for (int i = 0; i < kPhotoCount; ++i) {
            CameraPhotoSpec spec;
            spec.seed = static_cast<std::uint32_t>(i + 1);
            spec.order = i % 2 ? ByteOrder::Motorola : ByteOrder::Intel;
            spec.thumbnailAtEnd = i % 7 != 3;
            originals.push_back(makeCameraPhoto(spec).jpeg);
        }
        // The complete rotated files, from an uninterrupted run that is timed for the kills.
        TempDir reference;
        for (int i = 0; i < kPhotoCount; ++i) writeFile(reference.file(photoName(i)), originals[i]);
        auto start = std::chrono::steady_clock::now();
        clitest::CliRun run = clitest::runCli({"--keep-times", reference.path()});
        fullRunMicros = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        for (int i = 0; i < kPhotoCount; ++i) rotated.push_back(readFile(reference.file(photoName(i))));
    }

    void TearDown() override {
        if (oldTmpdir.empty()) unsetenv("TMPDIR");
        else setenv("TMPDIR", oldTmpdir.c_str(), 1);
    }

    void resetPhotos() {
        for (const std::string& name : listFolder(dir.path()))
            if (endsWith(name, ".bak")) ::unlink(dir.file(name).c_str());
        for (int i = 0; i < kPhotoCount; ++i) writeFile(dir.file(photoName(i)), originals[i]);
    }

    std::set<std::string> pendingFiles() {
        std::set<std::string> names;
        for (const std::string& name : listFolder(dir.path()))
            if (isPendingFileName(name)) names.insert(name);
        return names;
    }

    // Every photograph whole, every backup the original, nothing else but pending files.
    void checkFolder(bool backup) {
        for (int i = 0; i < kPhotoCount; ++i) {
            Bytes now = readFile(dir.file(photoName(i)));
            EXPECT_NO_THROW(decodePixels(now)) << photoName(i);
            EXPECT_TRUE(now == originals[i] || now == rotated[i]) << photoName(i) << " is neither original nor rotated";
        }
        for (const std::string& name : listFolder(dir.path())) {
            if (isPendingFileName(name)) continue;
            if (endsWith(name, ".jpg.bak")) {
                EXPECT_TRUE(backup) << name;
                int i = std::atoi(name.c_str() + 1);
                EXPECT_EQ(readFile(dir.file(name)), originals[i]) << name;
                continue;
            }
            EXPECT_TRUE(name.size() > 4 && name[0] == 'p' && endsWith(name, ".jpg")) << "unexpected file " << name;
        }
    }

    TempDir scratch;
    std::string oldTmpdir;
    TempDir dir;
    std::vector<Bytes> originals;
    std::vector<Bytes> rotated;
    long fullRunMicros = 0;
};

TEST_F(KilledRun, LeavesEveryPhotoWholeAndALaterRunCleansUp) {
    TempDir streams;
    const unsigned seed = static_cast<unsigned>(time(nullptr));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, fullRunMicros + fullRunMicros / 5);
    SCOPED_TRACE("random seed " + std::to_string(seed) + ", full run " + std::to_string(fullRunMicros) + " us");

    const int kills = killCount();
    int killedWhileWorking = 0;
    for (int k = 0; k < kills; ++k) {
        const bool backup = k % 2 == 1;
        resetPhotos();
        std::set<std::string> strayBefore = pendingFiles();
        std::vector<std::string> args{"--keep-times"};
        if (backup) args.push_back("--backup");
        args.push_back(dir.path());
        pid_t child = clitest::startCli(args, streams.file("out"), streams.file("err"));
        ::usleep(static_cast<useconds_t>(moment(random)));
        ::kill(child, SIGKILL);
        clitest::CliRun run = clitest::finishCli(child, streams.file("out"), streams.file("err"));
        if (run.status == -1) ++killedWhileWorking;

        SCOPED_TRACE("kill " + std::to_string(k));
        checkFolder(backup);
        int newStrays = 0;
        for (const std::string& name : pendingFiles()) newStrays += strayBefore.count(name) == 0;
        EXPECT_LE(newStrays, 1);
        if (HasFailure()) break;
    }
    EXPECT_GT(killedWhileWorking, 0) << "no kill hit a running process";

    // A later, complete run removes what the killed runs left.
    ::usleep(20000);  // the strays must be older than the run, on the file system's clock
    resetPhotos();
    clitest::CliRun run = clitest::runCli({"--keep-times", dir.path()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(pendingFiles().empty());
    for (int i = 0; i < kPhotoCount; ++i) EXPECT_EQ(readFile(dir.file(photoName(i))), rotated[i]) << photoName(i);
}

}  // namespace
