#include "workflow/stray_files.h"

#include <sys/file.h>

#include <optional>

#include "platform/pending_file.h"
#include "platform/pending_name.h"
#include "tests/support/fat_like_calls.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using platform::PendingKind;

TEST(StrayFiles, OnlyNamesOfOurOwnMakingAreOurs) {
    for (PendingKind kind : {PendingKind::Rewrite, PendingKind::WaitingBackup, PendingKind::WaitingBackupOfLongName}) {
        const std::string name = platform::newPendingName("a.jpg", kind);
        EXPECT_TRUE(isPendingFileName(name)) << name;
        const auto parsed = platform::parsePendingName(name);
        EXPECT_EQ(parsed->photoName, "a.jpg");
        EXPECT_EQ(parsed->kind, kind);
        std::string altered = name;
        altered[altered.size() - 6] ^= 1;  // a random character no longer matches the check
        EXPECT_FALSE(isPendingFileName(altered)) << altered;
    }
    // A user's names, and those of the earlier naming, which a user's could not be told from.
    for (const char* name : {".album.pivora-config", ".a.jpg.pivora-x1Y2z3", ".a.jpg.pivora-n12345678abcd", ""})
        EXPECT_FALSE(isPendingFileName(name)) << name;
    const std::string longName(250, 'x');
    EXPECT_EQ(platform::parsePendingName(platform::newPendingName(longName, PendingKind::WaitingBackup))->kind,
              PendingKind::WaitingBackupOfLongName);

    TempDir dir;
    const Names lookAlikes{".album.pivora-config", platform::newPendingName("link", PendingKind::Rewrite),
                           platform::newPendingName("sub", PendingKind::Rewrite)};
    writeFile(dir.file(lookAlikes[0]), {1});
    ASSERT_EQ(::symlink(lookAlikes[0].c_str(), dir.file(lookAlikes[1]).c_str()), 0);
    ASSERT_EQ(::mkdir(dir.file(lookAlikes[2]).c_str(), 0700), 0);
    EXPECT_EQ(removeStrayPendingFiles(dir.path(), {runStartTime().tv_sec + 3600, 0}), 0);
    EXPECT_EQ(listFolder(dir.path()).size(), lookAlikes.size());
}

enum class PhotoState { Untouched, Turned, Gone };

// A temporary file of ours beside photo.jpg, as a run left it, and what a later run makes of it.
struct Stray {
    const char* name;
    PendingKind kind;
    bool linkedToPhoto;  // else a file of its own with the photo's first bytes
    PhotoState photo;
    std::optional<Bytes> backupBefore;
    bool strayStays;
    std::optional<Bytes> backupAfter;
    bool heldByLiveRun = false;
    bool madeAfterRunStart = false;
};

// Settles the strays of `folder` as a later run would, on a file system without hard links and
// without a rename that does not replace (FAT) when `fatLike`. false where that cannot be had.
bool settle(const std::string& folder, const timespec& runStart, bool fatLike) {
    if (!fatLike) {
        removeStrayPendingFiles(folder, runStart);
        return true;
    }
    constexpr int kNoFilter = 98;
    const ChildOutcome child = runInChild([&] {
        if (!refuseCallsAsFat()) return kNoFilter;
        removeStrayPendingFiles(folder, runStart);
        return 0;
    });
    return child.exitCode == 0;
}

TEST(StrayFiles, ALaterRunRemovesOrCompletesWhatNoLiveRunHolds) {
    const Bytes original{1, 2, 3}, turnedPhoto{9, 9}, older{5};
    using K = PendingKind;
    using P = PhotoState;
    const Stray strays[] = {
        {"new photo of a killed run", K::Rewrite, false, P::Untouched, {}, false, {}},
        {"new photo of a live run", K::Rewrite, false, P::Untouched, {}, true, {}, true},
        {"new photo made after the run began", K::Rewrite, false, P::Untouched, {}, true, {}, false, true},
        {"backup in waiting, still the photo", K::WaitingBackup, true, P::Untouched, {}, false, {}},
        {"backup in waiting, a copy of the photo", K::WaitingBackup, false, P::Untouched, {}, false, {}},
        {"backup in waiting, photo turned", K::WaitingBackup, true, P::Turned, {}, false, original},
        {"backup in waiting, photo gone", K::WaitingBackup, false, P::Gone, {}, false, original},
        {"backup in waiting, older backup there", K::WaitingBackup, true, P::Turned, older, true, older},
        {"backup in waiting, same backup there", K::WaitingBackup, true, P::Turned, original, false, original},
        {"backup of a long name, only copy", K::WaitingBackupOfLongName, false, P::Turned, {}, true, {}},
        {"backup of a long name, linked", K::WaitingBackupOfLongName, true, P::Untouched, {}, false, {}},
    };
    for (bool fatLike : {false, true})
    for (const Stray& s : strays) {
        SCOPED_TRACE(std::string(s.name) + (fatLike ? ", without hard links" : ""));
        TempDir dir;
        const std::string photo = dir.file("photo.jpg"), backup = photo + ".bak";
        const std::string stray = dir.file(platform::newPendingName("photo.jpg", s.kind));
        writeFile(photo, original);
        if (s.linkedToPhoto) ASSERT_EQ(::link(photo.c_str(), stray.c_str()), 0);
        else writeFile(stray, s.kind == K::Rewrite ? turnedPhoto : original);
        if (s.photo == P::Turned) writeFile(dir.file("next"), turnedPhoto), ::rename(dir.file("next").c_str(), photo.c_str());
        if (s.photo == P::Gone) ::unlink(photo.c_str());
        if (s.backupBefore) writeFile(backup, *s.backupBefore);
        const int held = s.heldByLiveRun ? ::open(stray.c_str(), O_RDONLY) : -1;
        ASSERT_TRUE(held < 0 || ::flock(held, LOCK_EX) == 0);
        const timespec runStart = s.madeAfterRunStart ? timespec{0, 0} : timespec{runStartTime().tv_sec + 3600, 0};

        if (!settle(dir.path(), runStart, fatLike)) GTEST_SKIP() << "this system allows no seccomp filter";
        if (held >= 0) ::close(held);
        EXPECT_EQ(fileExists(stray), s.strayStays);
        EXPECT_EQ(fileExists(backup), s.backupAfter.has_value());
        if (s.backupAfter && fileExists(backup)) {
            EXPECT_EQ(readFile(backup), *s.backupAfter);
        }
        if (s.photo != P::Gone) {
            EXPECT_EQ(readFile(photo), s.photo == P::Turned ? turnedPhoto : original);
        }
    }
}

}  // namespace
