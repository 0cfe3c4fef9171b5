#include "platform/trash.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/file_replacement.h"
#include "tests/support/child_run.h"
#include "tests/support/fat_like_calls.h"
#include "tests/support/files.h"

namespace {

using namespace testsupport;
using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

constexpr int kNoFilter = 98;

std::string text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

class Trash : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_DATA_HOME", home.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }

    // Replaces the photo with `bytes`, its original kept in the Trash; the entry made, or "".
    std::string replaceKeepingInTrash(const std::string& photo, const Bytes& bytes) {
        platform::SourceFile source;
        std::string error;
        EXPECT_EQ(source.open(photo, &error), platform::SourceFile::Status::Ok) << error;
        platform::Replacement replacement;
        replacement.target = photo;
        replacement.original = &source;
        replacement.keepInTrash = true;
        std::string announced;
        replacement.announce = [&](const platform::PreparedReplacement& ready) {
            announced = ready.trashFile;
            EXPECT_EQ(readFile(photo), readFile(ready.trashFile)) << "the original is in the Trash before it is replaced";
        };
        const platform::ReplaceOutcome outcome = platform::replaceFile(replacement, bytes.data(), bytes.size());
        EXPECT_TRUE(outcome.replaced()) << outcome.detail;
        return announced;
    }

    std::string files() const { return home.file("Trash/files"); }
    std::string info() const { return home.file("Trash/info"); }

    TempDir home, dir;
};

// The home Trash is made where it is missing; a second original of the same name gets a name of
// its own; each .trashinfo names the photo's absolute path (encoded).
TEST_F(Trash, TheOriginalGoesToTheHomeTrashWithAnInfoThatNamesIt) {
    const std::string photo = dir.file("a b%.jpg");
    writeFile(photo, {1, 2, 3});
    const std::string first = replaceKeepingInTrash(photo, {4, 5});
    const std::string second = replaceKeepingInTrash(photo, {6});
    EXPECT_EQ(listFolder(files()), (Names{"a b%.2.jpg", "a b%.jpg"}));
    EXPECT_EQ(listFolder(info()), (Names{"a b%.2.jpg.trashinfo", "a b%.jpg.trashinfo"}));
    EXPECT_EQ(readFile(first), (Bytes{1, 2, 3}));
    EXPECT_EQ(readFile(second), (Bytes{4, 5}));
    EXPECT_EQ(readFile(photo), (Bytes{6}));
    const std::string described = text(readFile(platform::trashInfoOf(first)));
    EXPECT_EQ(described.find("[Trash Info]\nPath=" + dir.path() + "/a%20b%25.jpg\nDeletionDate="), 0u) << described;
    EXPECT_TRUE(platform::removeTrashEntry(first));
    EXPECT_EQ(listFolder(info()), (Names{"a b%.2.jpg.trashinfo"}));
}

// Without hard links the Trash's file is a copy, and the original's times come with it.
TEST_F(Trash, WithoutHardLinksTheTrashHoldsACheckedCopy) {
    const std::string photo = dir.file("p.jpg");
    writeFile(photo, {7, 8, 9});
    ::chmod(photo.c_str(), 0600);  // as a new file shows it, for modes cannot be set
    const ChildOutcome child = runInChild([&] {
        if (!refuseCallsAsFat()) return kNoFilter;
        return replaceKeepingInTrash(photo, {1}).empty() || HasFailure() ? 1 : 0;
    });
    if (child.exitCode == kNoFilter) GTEST_SKIP() << "this system allows no seccomp filter";
    ASSERT_EQ(child.exitCode, 0) << child.errors;
    EXPECT_EQ(readFile(files() + "/p.jpg"), (Bytes{7, 8, 9}));
    EXPECT_EQ(listFolder(files()), (Names{"p.jpg"}));
}

// What a killed run left: a .trashinfo without its file goes; one whose file is there, or that a
// live run holds, stays.
TEST_F(Trash, ALaterRunRemovesAnInfoWithoutItsFile) {
    const platform::TrashCan can{home.file("Trash"), ""};
    const std::string photo = dir.file("x.jpg");
    writeFile(photo, {1});
    replaceKeepingInTrash(photo, {2});
    writeFile(info() + "/orphan.jpg.trashinfo", {'['});
    writeFile(info() + "/held.jpg.trashinfo", {'['});
    const int held = ::open((info() + "/held.jpg.trashinfo").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ::usleep(20000);
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    EXPECT_EQ(platform::settleTrash(can, now), 1);
    ::close(held);
    EXPECT_EQ(listFolder(info()), (Names{"held.jpg.trashinfo", "x.jpg.trashinfo"}));
}

}  // namespace
