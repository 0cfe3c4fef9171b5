#include "workflow/folder_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "tests/support/transform_driver.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/run_messages.h"

namespace {

using testsupport::TempDir;

void touch(const std::string& path) { testsupport::writeFile(path, {0xFF, 0xD8}); }

// Records the paths handed over, and answers with `result`.
struct RecordingRotator {
    std::vector<std::string> paths;
    int result = 1;
    int cancelAfter = 0;
    RotateFileFunction function() {
        return [this](const std::string& path) {
            paths.push_back(path);
            if (cancelAfter && static_cast<int>(paths.size()) == cancelAfter) cancelRequested = 1;
            return result;
        };
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& p : paths) out.push_back(p.substr(p.find_last_of('/') + 1));
        std::sort(out.begin(), out.end());
        return out;
    }
};

struct WalkResult {
    RunCounters counters;
    std::vector<std::string> names;
};

WalkResult walk(const std::string& folder, bool subfolders, RecordingRotator& rotator) {
    cancelRequested = 0;
    ProcessingOptions options;
    options.bSubfolders = subfolders;
    WalkResult result;
    walkFolder(folder, options, result.counters, rotator.function(), nullptr);
    result.names = rotator.names();
    return result;
}

TEST(JpegName, LastThreeCharactersInAnyCase) {
    EXPECT_TRUE(hasJpegName("a.jpg"));
    EXPECT_TRUE(hasJpegName("/x/B.JPG"));
    EXPECT_TRUE(hasJpegName("photoxjpg"));
    EXPECT_TRUE(hasJpegName("jPg"));
    EXPECT_FALSE(hasJpegName("c.jpeg"));
    EXPECT_FALSE(hasJpegName("pg"));
    EXPECT_FALSE(hasJpegName("a.jpg.bak"));
}

TEST(FolderWalk, TakesJpgNamesOnlyAndCountsWhatTheWorkflowSays) {
    TempDir dir;
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "notes.txt", ".hidden.jpg"}) touch(dir.file(name));
    RecordingRotator rotator;
    rotator.result = 0;
    WalkResult r = walk(dir.path(), false, rotator);
    EXPECT_EQ(r.names, (std::vector<std::string>{".hidden.jpg", "a.jpg", "b.JPG"}));
    EXPECT_EQ(r.counters.filesRead, 3);
    EXPECT_EQ(r.counters.filesRotated, 0);
    EXPECT_EQ(withoutBlankLines(folderRunMessage(r.counters)), "3 files read, of which 0 files successfully rotated");
}

TEST(FolderWalk, SubfoldersOnlyWhenAskedAndDepthFirst) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(dir.file("sub/deeper").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(dir.file("old.jpg").c_str(), 0755), 0);  // a folder with a photo's name
    touch(dir.file("sub/one.jpg"));
    touch(dir.file("sub/deeper/two.jpg"));

    RecordingRotator off;
    WalkResult flat = walk(dir.path(), false, off);
    EXPECT_TRUE(flat.names.empty());
    EXPECT_EQ(folderRunMessage(flat.counters), "\n\nNo files processed\n\n");

    RecordingRotator on;
    WalkResult deep = walk(dir.path(), true, on);
    EXPECT_EQ(deep.names, (std::vector<std::string>{"one.jpg", "two.jpg"}));
    EXPECT_EQ(deep.counters.filesRotated, 2);
    EXPECT_EQ(folderRunMessage(deep.counters), "\n\n2 files read, of which 2 files successfully rotated\n\n");
}

TEST(FolderWalk, EmptyAndMissingFoldersCountNothing) {
    TempDir dir;
    RecordingRotator rotator;
    EXPECT_EQ(walk(dir.path(), true, rotator).counters.filesRead, 0);
    EXPECT_EQ(walk(dir.file("gone"), true, rotator).counters.filesRead, 0);
    EXPECT_TRUE(rotator.paths.empty());
}

TEST(FolderWalk, CancelDuringTheThirdOfTenFilesStopsAfterIt) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
    for (int i = 0; i < 5; ++i) touch(dir.file("p" + std::to_string(i) + ".jpg"));
    for (int i = 5; i < 10; ++i) touch(dir.file("sub/p" + std::to_string(i) + ".jpg"));
    RecordingRotator rotator;
    rotator.cancelAfter = 3;
    WalkResult r = walk(dir.path(), true, rotator);
    EXPECT_EQ(r.counters.filesRead, 3);
    EXPECT_EQ(withoutBlankLines(folderRunMessage(r.counters)), "3 files read, of which 3 files successfully rotated");
}

TEST(FolderWalk, BetweenFilesRunsAfterEachFileAndMayCancel) {
    TempDir dir;
    for (int i = 0; i < 4; ++i) touch(dir.file("p" + std::to_string(i) + ".jpg"));
    touch(dir.file("skip.txt"));
    RecordingRotator rotator;
    int pumps = 0;
    cancelRequested = 0;
    RunCounters counters;
    ProcessingOptions options;
    walkFolder(dir.path(), options, counters, rotator.function(), [&] {
        if (++pumps == 2) cancelRequested = 1;
    });
    EXPECT_EQ(pumps, 2);
    EXPECT_EQ(counters.filesRead, 2);
    cancelRequested = 0;
}

TEST(FolderWalk, SymbolicLinkLoopEnds) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("a").c_str(), 0755), 0);
    ASSERT_EQ(symlink("..", dir.file("a/up").c_str()), 0);
    ASSERT_EQ(symlink(dir.path().c_str(), dir.file("a/loop.jpg").c_str()), 0);
    touch(dir.file("a/x.jpg"));
    RecordingRotator rotator;
    WalkResult r = walk(dir.path(), true, rotator);
    EXPECT_EQ(r.names, (std::vector<std::string>{"x.jpg"}));
}

TEST(FolderWalk, FileReachedThroughALinkIsHandedOverOnce) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
    touch(dir.file("sub/real.jpg"));
    ASSERT_EQ(symlink("sub/real.jpg", dir.file("alias.jpg").c_str()), 0);
    ASSERT_EQ(symlink("real.jpg", dir.file("sub/again.jpg").c_str()), 0);
    RecordingRotator rotator;
    WalkResult r = walk(dir.path(), true, rotator);
    EXPECT_EQ(rotator.paths.size(), 1u);
    EXPECT_EQ(r.counters.filesRead, 1);
}

TEST(FolderWalk, SpecialFilesAreCountedButNeverOpened) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);
    ASSERT_EQ(symlink("nowhere.jpg", dir.file("dangling.jpg").c_str()), 0);
    RecordingRotator rotator;
    WalkResult r = walk(dir.path(), false, rotator);
    EXPECT_TRUE(rotator.paths.empty());
    EXPECT_EQ(r.counters.filesRead, 2);
    EXPECT_EQ(r.counters.filesRotated, 0);
}

}  // namespace

namespace {

// The walk with the real workflow: a photo reached through two links is turned once only.
TEST(FolderWalkWithWorkflow, PhotoBehindLinksIsTurnedOnce) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
    testsupport::Bytes original = testsupport::makeCameraPhoto({}).jpeg;
    testsupport::writeFile(dir.file("sub/real.jpg"), original);
    ASSERT_EQ(symlink("sub/real.jpg", dir.file("a-link.jpg").c_str()), 0);
    ASSERT_EQ(symlink("real.jpg", dir.file("sub/z-link.jpg").c_str()), 0);
    ASSERT_EQ(symlink("..", dir.file("sub/loop").c_str()), 0);

    cancelRequested = 0;
    ProcessingOptions options;
    options.bSubfolders = 1;
    RunCounters counters;
    platform::SilentStatusLine status;
    walkFolder(dir.path(), options, counters,
               [&](const std::string& path) { return rotateJpegFile(path, options, status); }, nullptr);
    EXPECT_EQ(counters.filesRead, 1);
    EXPECT_EQ(counters.filesRotated, 1);
    testsupport::Bytes once = testsupport::transformInMemory(original, TransformKind::Rotate270);
    EXPECT_EQ(testsupport::readCoefficients(testsupport::readFile(dir.file("sub/real.jpg"))).components[0].blocks,
              testsupport::readCoefficients(once).components[0].blocks);
    struct stat st;
    ASSERT_EQ(lstat(dir.file("a-link.jpg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

}  // namespace
