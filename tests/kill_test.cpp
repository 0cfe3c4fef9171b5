// pivora-cli killed with SIGKILL at random moments while it rotates a folder, alone or as two runs
// sharing the folder, with one job or several, with and without backups, with the fixed turn or
// upright by each photo's orientation tag: every photograph stays
// whole (the untouched original or the complete rotated file), every backup is the original, and
// what a killed run leaves behind is at most the temporary files of the photos in hand, which a
// later run settles.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <ctime>
#include <random>
#include <set>

#include "tests/photo_folder.h"
#include "workflow/stray_files.h"

namespace {

using namespace testsupport;
using clitest::PhotoSet;

constexpr int kPhotoCount = 30;
constexpr int kMostStraysPerRun = 2;  // the new photo and its backup in waiting

class KilledRun : public ::testing::Test {
protected:
    // The untouched photographs, no backups; stray temporary files stay.
    void resetPhotos(const PhotoSet& set) {
        for (const std::string& name : listFolder(dir.path()))
            if (!isPendingFileName(name)) ::unlink(dir.file(name).c_str());
        set.writeInto(dir.path());
    }
    // Checks that every photograph is whole and every backup the original; returns the stray files.
    std::set<std::string> checkFolder(const PhotoSet& photos) {
        std::set<std::string> strays;
        int photosWhole = 0;
        for (const std::string& name : listFolder(dir.path())) {
            const int i = std::atoi(name.c_str() + 1) % kPhotoCount;
            const Bytes now = isPendingFileName(name) ? Bytes{} : readFile(dir.file(name));
            if (isPendingFileName(name)) strays.insert(name);
            // A later run may complete a killed run's backup in waiting whether or not it keeps backups,
            // also one left from a round with the other photo set.
            else if (name == PhotoSet::name(i) + ".bak")
                EXPECT_TRUE(now == fixedTurn.originals[i] || now == byTag.originals[i]) << name;
            else if (name == PhotoSet::name(i)) photosWhole += now == photos.originals[i] || now == photos.rotated[i];
            else ADD_FAILURE() << "unexpected file " << name;
        }
        EXPECT_EQ(photosWhole, kPhotoCount) << "a photograph is missing or neither the original nor the rotated file";
        return strays;
    }

    TempDir scratch, dir;
    // A killed run may leave its private thumbnail folder behind: keep those in the test's own.
    const std::vector<std::string> env{"TMPDIR=" + scratch.path()};
    const PhotoSet fixedTurn{kPhotoCount, env}, byTag{kPhotoCount, env, true};
};

TEST_F(KilledRun, LeavesEveryPhotoWholeAndALaterRunCleansUp) {
    const unsigned seed = static_cast<unsigned>(std::time(nullptr));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, fixedTurn.fullRunMicros + fixedTurn.fullRunMicros / 5);
    SCOPED_TRACE("random seed " + std::to_string(seed) + ", full run " + std::to_string(fixedTurn.fullRunMicros) + " us");
    const int kills = std::getenv("PIVORA_LONG_TESTS") && std::string(std::getenv("PIVORA_LONG_TESTS")) == "1" ? 200 : 20;
    int killedWhileWorking = 0;
    for (int k = 0; k < kills && !HasFailure(); ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        const bool backup = k % 2 == 1, twoRuns = k % 4 >= 2;
        const PhotoSet& photos = k % 16 < 8 ? fixedTurn : byTag;
        resetPhotos(photos);
        const std::set<std::string> strayBefore = checkFolder(photos);
        const char* jobs = k % 8 < 4 ? "1" : "3";  // one worker, and several with photos in hand at once
        std::vector<std::string> options = clitest::withOptions(photos.options, {"--jobs", jobs});
        if (backup) options.push_back("--backup");
        options.push_back("--");  // ends the options
        std::vector<std::unique_ptr<clitest::Cli>> runs;
        if (twoRuns) {
            for (int first : {0, 1})
                runs.push_back(std::make_unique<clitest::Cli>(clitest::withOptions(options, photos.share(dir.path(), first, 2)), env));
        } else {
            runs.push_back(std::make_unique<clitest::Cli>(clitest::withOptions(options, {dir.path()}), env));
        }
        for (auto& run : runs) {
            ::usleep(static_cast<useconds_t>(moment(random) / static_cast<long>(runs.size())));
            ::kill(run->pid, SIGKILL);
        }
        for (auto& run : runs) killedWhileWorking += run->finish().status == -1;
        int newStrays = 0;
        for (const std::string& name : checkFolder(photos)) newStrays += strayBefore.count(name) == 0;
        EXPECT_LE(newStrays, kMostStraysPerRun * static_cast<int>(runs.size()) * std::atoi(jobs));
    }
    EXPECT_GT(killedWhileWorking, 0) << "no kill hit a running process";

    // A later, complete run settles what the killed runs left.
    ::usleep(20000);  // the strays must be older than the run, on the file system's clock
    resetPhotos(fixedTurn);
    EXPECT_EQ(clitest::runCli({"--keep-times", dir.path()}, env).status, 0);
    EXPECT_TRUE(checkFolder(fixedTurn).empty());
    for (int i = 0; i < kPhotoCount; ++i) EXPECT_EQ(readFile(dir.file(PhotoSet::name(i))), fixedTurn.rotated[i]) << i;
}

}  // namespace
