// pivora-cli killed with SIGKILL at random moments while it rotates a folder: every photograph
// stays whole (the untouched original or the complete rotated file), and what a killed run
// leaves behind is at most one temporary file per worker, which a later run removes.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <random>
#include <set>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"
#include "workflow/stray_files.h"

namespace {

using namespace testsupport;

constexpr int kPhotoCount = 30;

std::string photoName(int i) { return "p" + std::to_string(i) + ".jpg"; }

class KilledRun : public ::testing::Test {
protected:
    void SetUp() override {
        TempDir reference;
        for (int i = 0; i < kPhotoCount; ++i) {
            CameraPhotoSpec recipe;
            recipe.seed = static_cast<std::uint32_t>(i + 1);
            recipe.order = i % 2 ? ByteOrder::Motorola : ByteOrder::Intel;
            recipe.thumbnailAtEnd = i % 7 != 3;
            writeFile(reference.file(photoName(i)), originals.emplace_back(makeCameraPhoto(recipe).jpeg));
        }
        // The complete rotated files, from an uninterrupted run that is timed for the kills.
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(clitest::runCli({"--keep-times", reference.path()}, env).status, 0);
        fullRunMicros = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                            .count();
        for (int i = 0; i < kPhotoCount; ++i) rotated.push_back(readFile(reference.file(photoName(i))));
        for (const Bytes& jpeg : rotated) ASSERT_NO_THROW(decodePixels(jpeg));
    }

    // The untouched photographs, no backups; stray temporary files stay.
    void resetPhotos() {
        for (const std::string& name : listFolder(dir.path()))
            if (!isPendingFileName(name)) ::unlink(dir.file(name).c_str());
        for (int i = 0; i < kPhotoCount; ++i) writeFile(dir.file(photoName(i)), originals[i]);
    }
    // Checks that every photograph is whole and every backup the original; returns the stray files.
    std::set<std::string> checkFolder(bool backup) {
        std::set<std::string> strays;
        int photos = 0;
        for (const std::string& name : listFolder(dir.path())) {
            const int i = std::atoi(name.c_str() + 1) % kPhotoCount;
            const Bytes now = isPendingFileName(name) ? Bytes{} : readFile(dir.file(name));
            if (isPendingFileName(name)) strays.insert(name);
            else if (backup && name == photoName(i) + ".bak") EXPECT_EQ(now, originals[i]) << name;
            else if (name == photoName(i)) photos += now == originals[i] || now == rotated[i];
            else ADD_FAILURE() << "unexpected file " << name;
        }
        EXPECT_EQ(photos, kPhotoCount) << "a photograph is missing or neither the original nor the rotated file";
        return strays;
    }

    TempDir scratch, dir;
    // A killed run may leave its private thumbnail folder behind: keep those in the test's own.
    const std::vector<std::string> env{"TMPDIR=" + scratch.path()};
    std::vector<Bytes> originals, rotated;
    long fullRunMicros = 0;
};

TEST_F(KilledRun, LeavesEveryPhotoWholeAndALaterRunCleansUp) {
    const unsigned seed = static_cast<unsigned>(std::time(nullptr));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, fullRunMicros + fullRunMicros / 5);
    SCOPED_TRACE("random seed " + std::to_string(seed) + ", full run " + std::to_string(fullRunMicros) + " us");
    const int kills = std::getenv("PIVORA_LONG_TESTS") && std::string(std::getenv("PIVORA_LONG_TESTS")) == "1" ? 200 : 20;
    int killedWhileWorking = 0;
    for (int k = 0; k < kills && !HasFailure(); ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        const bool backup = k % 2 == 1;
        const char* jobs = k % 4 < 2 ? "1" : "3";  // one worker, and several with photos in hand at once
        resetPhotos();
        const std::set<std::string> strayBefore = checkFolder(false);
        clitest::Cli cli({"--keep-times", "--jobs", jobs, backup ? "--backup" : "--" /* ends the options */, dir.path()}, env);
        ::usleep(static_cast<useconds_t>(moment(random)));
        ::kill(cli.pid, SIGKILL);
        killedWhileWorking += cli.finish().status == -1;
        int newStrays = 0;
        for (const std::string& name : checkFolder(backup)) newStrays += strayBefore.count(name) == 0;
        EXPECT_LE(newStrays, std::atoi(jobs));
    }
    EXPECT_GT(killedWhileWorking, 0) << "no kill hit a running process";

    // A later, complete run removes what the killed runs left.
    ::usleep(20000);  // the strays must be older than the run, on the file system's clock
    resetPhotos();
    EXPECT_EQ(clitest::runCli({"--keep-times", dir.path()}, env).status, 0);
    EXPECT_TRUE(checkFolder(false).empty());
    for (int i = 0; i < kPhotoCount; ++i) EXPECT_EQ(readFile(dir.file(photoName(i))), rotated[i]) << photoName(i);
}

}  // namespace
