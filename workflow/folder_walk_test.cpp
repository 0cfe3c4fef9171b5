#include "workflow/folder_walk.h"

#include <algorithm>

#include "tests/support/camera_photo.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/run_messages.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;

struct Walk {
    Names names;  // handed to the workflow, sorted
    RunCounters counters;
};

// Walks `folder` with `rotate` (by default a workflow that says rotated), cancelling during file `cancelAt`.
Walk walk(const std::string& folder, bool subfolders, RotateFileFunction rotate = nullptr, int cancelAt = 0) {
    cancelRequested = 0;
    const ProcessingOptions options{0, subfolders, 0};
    Walk w;
    auto record = [&](const std::string& path) {
        w.names.push_back(path.substr(path.find_last_of('/') + 1));
        if (static_cast<int>(w.names.size()) == cancelAt) cancelRequested = 1;
        if (rotate) return rotate(path);
        RotateResult rotated;
        rotated.outcome = FileOutcome::Rotated;
        return rotated;
    };
    walkFolder(folder, options, w.counters, record, nullptr);
    std::sort(w.names.begin(), w.names.end());
    return w;
}

TEST(FolderWalk, TakesJpgNamesDescendsOnlyWhenAskedAndCountsWhatTheWorkflowSays) {
    TempDir dir;
    for (const char* name : {"sub", "sub/deeper", "old.jpg"}) ASSERT_EQ(::mkdir(dir.file(name).c_str(), 0755), 0);
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.jpeg.bak", "ejpeg", "notes.txt", ".hidden.jpg", "xjPg",
                             "x.jpg.bak", "sub/one.jpg", "sub/deeper/two.jpg"})
        writeFile(dir.file(name), {0xFF, 0xD8});
    ASSERT_EQ(::mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);  // read, not rotated, never opened

    Walk flat = walk(dir.path(), false, [](const std::string&) { return refusal(RefusalReason::NotJpeg); });
    EXPECT_EQ(flat.names, (Names{".hidden.jpg", "a.jpg", "b.JPG", "c.jpeg", "xjPg"}));
    EXPECT_EQ(folderRunMessage(flat.counters), "\n\n6 files read, of which 0 files successfully rotated\n\n");

    Walk deep = walk(dir.path(), true);
    EXPECT_EQ(deep.names, (Names{".hidden.jpg", "a.jpg", "b.JPG", "c.jpeg", "one.jpg", "two.jpg", "xjPg"}));
    EXPECT_EQ(folderRunMessage(deep.counters), "\n\n8 files read, of which 7 files successfully rotated\n\n");
}

TEST(FolderWalk, EmptyFolderAndCancelDuringTheThirdOfTenFiles) {
    TempDir dir;
    EXPECT_EQ(folderRunMessage(walk(dir.path(), true).counters), "\n\nNo files processed\n\n");

    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
    for (int i = 0; i < 10; ++i) writeFile(dir.file((i < 5 ? "p" : "sub/p") + std::to_string(i) + ".jpg"), {0xFF});
    Walk cancelled = walk(dir.path(), true, nullptr, 3);
    EXPECT_EQ(cancelled.names.size(), 3u);
    EXPECT_EQ(cancelled.counters.filesRead, 3);
}

// With the real workflow: link loops end, and a photo that several links lead to turns once.
TEST(FolderWalk, LinksNeitherLoopNorTurnAPhotoTwice) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
    const Bytes original = makeCameraPhoto({}).jpeg;
    writeFile(dir.file("sub/real.jpg"), original);
    for (auto link : {std::pair{"sub/real.jpg", "a-link.jpg"}, {"real.jpg", "sub/z-link.jpg"}, {"..", "sub/up"},
                      {"..", "sub/loop.jpg"}})
        ASSERT_EQ(::symlink(link.first, dir.file(link.second).c_str()), 0);
    ProcessingOptions options;
    platform::SilentStatusLine status;
    Walk w = walk(dir.path(), true, [&](const std::string& path) { return rotatePhoto(path, options, {}, status); });
    EXPECT_EQ(folderRunMessage(w.counters), "\n\n1 files read, of which 1 files successfully rotated\n\n");
    expectSameImage(readFile(dir.file("sub/real.jpg")), turned(original));
}

}  // namespace
