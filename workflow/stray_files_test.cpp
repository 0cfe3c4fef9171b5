#include "workflow/stray_files.h"

#include "platform/pending_file.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;

TEST(StrayFiles, OnlyOldRegularFilesOfThePendingPatternAreRemoved) {
    for (const char* name : {".a.jpg.pivora-x1Y2z3", "..a.jpg.pivora-abcdef.pivora-ABCDEF"})
        EXPECT_TRUE(isPendingFileName(name)) << name;
    // A user's file is never taken for a stray.
    for (const char* name :
         {"a.jpg.pivora-x1Y2z3", ".a.pivora-x1Y2z", ".a.pivora-x1Y2z3.jpg", ".a.pivora-x1-2z3", ".pivora-abcdef"})
        EXPECT_FALSE(isPendingFileName(name)) << name;

    TempDir dir;
    platform::PendingFile pending;
    ASSERT_TRUE(pending.open(dir.file("photo.jpg"), nullptr));
    const std::string stray = pending.temporaryPath();
    writeFile(dir.file("photo.jpg"), {1, 2, 3});
    ASSERT_EQ(::mkdir(dir.file(".sub.pivora-abcdef").c_str(), 0700), 0);
    ASSERT_EQ(::symlink("photo.jpg", dir.file(".link.pivora-abcdef").c_str()), 0);
    EXPECT_EQ(removeStrayPendingFiles(dir.path(), timespec{0, 0}), 0);  // another run may still write it
    EXPECT_TRUE(fileExists(stray));

    ::usleep(30000);  // let the coarse clock move past the files' change time
    EXPECT_EQ(removeStrayPendingFiles(dir.path(), runStartTime()), 1);
    EXPECT_EQ(listFolder(dir.path()), (Names{".link.pivora-abcdef", ".sub.pivora-abcdef", "photo.jpg"}));
}

}  // namespace
