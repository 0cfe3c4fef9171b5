// pivora-cli killed with SIGKILL at random moments while it rotates a folder: alone or as two
// runs sharing it, with one job or several, with and without backups and the Trash, by the fixed turn or upright
// by the tag, on a file system with hard links and on one without (as FAT). Every photograph stays whole (the original or the complete rotated file), every
// backup is the original, and a killed run leaves at most the temporary files of the photos in
// hand, which later runs settle, alone or eight at once sharing the folder as `xargs -P 8` starts
// them, each run's start-up cleaning leaving the others' files alone. The killed runs' journals
// and the files agree: every photo a journal calls turned is turned, every turned photo is named
// in a journal line written before it took its name, and a line without its result tells by its
// hash whether its photo was replaced.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <random>
#include <map>
#include <set>

#include "platform/content_hash.h"
#include "platform/pending_name.h"
#include "platform/trash.h"
#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"
#include "tests/support/child_run.h"
#include "tests/support/fat_like_calls.h"
#include "workflow/run_journal.h"
#include "workflow/stray_files.h"

namespace {

using namespace testsupport;
using Paths = std::vector<std::string>;

constexpr int kPhotoCount = 30;
constexpr int kMostStraysPerRun = 2;  // the new photo and its backup in waiting

// Camera photos with what one complete run makes of them (timed, so that a test can aim its kills).
struct PhotoSet {
    // Both byte orders, a few with the thumbnail not at the end of the block; `byTag`: of every
    // Orientation value (0 for none) and turned by it, else by the fixed turn.
    PhotoSet(const Paths& env, bool byTag) : options{"--keep-times"} {
        if (byTag) options.push_back("--auto");
        for (int i = 0; i < kPhotoCount; ++i) {
            CameraPhotoSpec recipe;
            recipe.seed = static_cast<std::uint32_t>(i + 1);
            recipe.order = i % 2 ? ByteOrder::Motorola : ByteOrder::Intel;
            recipe.thumbnailAtEnd = i % 7 != 3;
            if (byTag) recipe.orientation = i % 9;
            originals.push_back(makeCameraPhoto(recipe).jpeg);
        }
        TempDir reference;
        writeInto(reference.path());
        Paths args = options;
        args.push_back(reference.path());
        const auto start = std::chrono::steady_clock::now();
        const clitest::CliRun run = clitest::runCli(args, env);
        fullRunMicros = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                            .count();
        EXPECT_EQ(run.status, 0) << run.err;
        for (int i = 0; i < kPhotoCount; ++i) rotated.push_back(readFile(reference.path() + "/" + name(i)));
    }

    static std::string name(int i) { return "p" + std::to_string(i) + ".jpg"; }
    // With the mode a new file gets, as on FAT every file shows the same: a run without modes
    // has nothing to change then.
    void writeInto(const std::string& folder) const {
        for (int i = 0; i < kPhotoCount; ++i) {
            writeFile(folder + "/" + name(i), originals[i]);
            ::chmod((folder + "/" + name(i)).c_str(), 0600);
        }
    }

    Paths options;  // of the run that turned them
    std::vector<Bytes> originals, rotated;
    long fullRunMicros = 0;
};

class KilledRun : public ::testing::Test {
protected:
    // The untouched photographs, no backups; stray temporary files stay.
    void resetPhotos(const PhotoSet& set) {
        for (const std::string& name : listFolder(dir.path()))
            if (!isPendingFileName(name)) ::unlink(dir.file(name).c_str());
        set.writeInto(dir.path());
    }
    std::set<std::string> journalNames() const {
        std::set<std::string> names;
        for (const JournalRun& run : listRuns(journals)) names.insert(run.name);
        return names;
    }
    // Checks that the journals of the runs not named in `before` agree with the photographs.
    void checkJournals(const PhotoSet& photos, const std::set<std::string>& before) {
        std::map<std::string, std::vector<JournalPhoto>> lines;
        for (const JournalRun& run : listRuns(journals))
            if (!before.count(run.name))
                for (const JournalPhoto& photo : run.photos) lines[photo.entry.file].push_back(photo);
        for (int i = 0; i < kPhotoCount; ++i) {
            const std::string path = dir.file(PhotoSet::name(i));
            const Bytes now = readFile(path);
            const bool turned = now == photos.rotated[i] && now != photos.originals[i];
            const std::string hash = platform::contentHash(now.data(), now.size());
            bool named = false;
            for (const JournalPhoto& line : lines[path]) {
                const bool replaced = line.announced && line.entry.turned.hash == hash;
                EXPECT_TRUE(line.outcome != "turned" || turned) << path << " is called turned";
                EXPECT_TRUE(line.outcome != "refused" || !turned) << path << " is called refused";
                EXPECT_TRUE(!line.announced || !line.outcome.empty() || turned == replaced) << path;
                if (line.announced && line.outcome.empty()) ++(replaced ? unfinishedReplaced : unfinishedKept);
                named = named || replaced;
            }
            EXPECT_TRUE(named || !turned) << path << " was turned without a journal line before it";
        }
    }
    // Every file in the Trash is an original; with `empty`, the complete entries are taken out
    // afterwards, so that only what killed runs left stays. Returns the .trashinfo files without their file.
    int checkTrash(bool empty) {
        const std::string files = scratch.file("data/Trash/files"), info = scratch.file("data/Trash/info");
        int orphans = 0;
        for (const std::string& name : fileExists(info) ? listFolder(info) : Paths{}) {
            const std::string file = files + "/" + name.substr(0, name.size() - std::strlen(".trashinfo"));
            if (!fileExists(file)) {
                ++orphans;
                continue;
            }
            const Bytes kept = readFile(file);
            const int i = std::atoi(name.c_str() + 1) % kPhotoCount;
            EXPECT_TRUE(kept == fixedTurn.originals[i] || kept == byTag.originals[i]) << name;
            if (empty) platform::removeTrashEntry(file);
        }
        return orphans;
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
    // `count` runs with `options`: one over the folder, or several, each over its share of the photos;
    // `fatLike`: as on a file system without hard links, owners or modes, where this system can.
    std::vector<std::unique_ptr<clitest::Cli>> startRuns(const Paths& options, int count, bool fatLike = false) {
        std::vector<std::unique_ptr<clitest::Cli>> runs;
        const std::function<void()> asFat = [] { testsupport::refuseCallsAsFat(); };
        for (int first = 0; first < count; ++first) {
            Paths args = options;
            if (count == 1) args.push_back(dir.path());
            for (int i = first; count > 1 && i < kPhotoCount; i += count) args.push_back(dir.file(PhotoSet::name(i)));
            runs.push_back(std::make_unique<clitest::Cli>(args, env, fatLike && canBeFatLike ? asFat : nullptr));
        }
        return runs;
    }

    // Lines "replacing" of killed runs without their result, whose photo was replaced or not.
    int unfinishedReplaced = 0, unfinishedKept = 0;
    TempDir scratch, dir;
    // A killed run may leave its private thumbnail folder behind: keep those in the test's own,
    // with the runs' journals.
    const std::string journals = scratch.file("state/pivora/runs");
    const Paths env{"TMPDIR=" + scratch.path(), "XDG_STATE_HOME=" + scratch.file("state"),
                    "XDG_DATA_HOME=" + scratch.file("data")};
    const PhotoSet fixedTurn{env, false}, byTag{env, true};
    const bool canBeFatLike = testsupport::runInChild([] { return testsupport::refuseCallsAsFat() ? 0 : 1; }).exitCode == 0;
};

TEST_F(KilledRun, LeavesEveryPhotoWholeAndLaterRunsCleanUp) {
    const unsigned seed = static_cast<unsigned>(std::time(nullptr));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, fixedTurn.fullRunMicros + fixedTurn.fullRunMicros / 5);
    SCOPED_TRACE("random seed " + std::to_string(seed) + ", full run " + std::to_string(fixedTurn.fullRunMicros) + " us");
    const int kills = std::getenv("PIVORA_LONG_TESTS") && std::string(std::getenv("PIVORA_LONG_TESTS")) == "1" ? 200 : 20;
    int killedWhileWorking = 0;
    for (int k = 0; k < kills && !HasFailure(); ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        const bool backup = k % 2 == 1, twoRuns = k % 4 >= 2, fatLike = k % 10 >= 6, trash = k % 3 == 1;
        const PhotoSet& photos = k % 16 < 8 ? fixedTurn : byTag;
        resetPhotos(photos);
        const std::set<std::string> strayBefore = checkFolder(photos);
        const std::set<std::string> journalsBefore = journalNames();
        const char* jobs = k % 8 < 4 ? "1" : "3";  // one worker, and several with photos in hand at once
        Paths options = photos.options;
        options.insert(options.end(), {"--jobs", jobs});
        if (backup) options.push_back("--backup");
        if (trash) options.push_back("--trash");
        options.push_back("--");  // ends the options
        const auto runs = startRuns(options, twoRuns ? 2 : 1, fatLike);
        for (auto& run : runs) {
            ::usleep(static_cast<useconds_t>(moment(random) / static_cast<long>(runs.size())));
            ::kill(run->pid, SIGKILL);
        }
        for (auto& run : runs) killedWhileWorking += run->finish().status == -1;
        int newStrays = 0;
        for (const std::string& name : checkFolder(photos)) newStrays += strayBefore.count(name) == 0;
        checkJournals(photos, journalsBefore);
        checkTrash(true);
        EXPECT_LE(newStrays, kMostStraysPerRun * static_cast<int>(runs.size()) * std::atoi(jobs));
    }
    EXPECT_GT(killedWhileWorking, 0) << "no kill hit a running process";
    if (!canBeFatLike) std::printf("no round without hard links: this system allows no seccomp filter\n");
    std::printf("journal lines left without their result by a kill: %d with the photo replaced, %d without\n",
                unfinishedReplaced, unfinishedKept);

    // Complete runs settle what the killed runs left and a stray like theirs: one over the folder,
    // then eight sharing it, with backups and without hard links.
    for (int count : {1, 8}) {
        SCOPED_TRACE(std::to_string(count) + " later runs");
        resetPhotos(fixedTurn);
        writeFile(dir.file(platform::newPendingName("p0.jpg", platform::PendingKind::Rewrite)), {9});
        std::filesystem::create_directories(scratch.file("data/Trash/info"));
        writeFile(scratch.file("data/Trash/info/gone.jpg.trashinfo"), {'['});  // as a run killed before its link leaves it
        ::usleep(20000);  // the strays must be older than the runs, on the file system's clock
        for (auto& run : startRuns({"--keep-times", count > 1 ? "--backup" : "--"}, count, count > 1))
        {
            const clitest::CliRun finished = run->finish();
            EXPECT_EQ(finished.status, 0) << finished.out << finished.err;
        }
        EXPECT_TRUE(checkFolder(fixedTurn).empty());
        EXPECT_EQ(checkTrash(false), 0) << "a .trashinfo without its file is left";
        for (int i = 0; i < kPhotoCount; ++i) {
            EXPECT_EQ(readFile(dir.file(PhotoSet::name(i))), fixedTurn.rotated[i]) << i;
            if (count > 1) {
                EXPECT_EQ(readFile(dir.file(PhotoSet::name(i) + ".bak")), fixedTurn.originals[i]) << i;
            }
        }
    }
}

}  // namespace
