#include "workflow/stray_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/pending_file.h"
#include "tests/support/files.h"

namespace {

using testsupport::TempDir;

TEST(StrayFiles, NamePatternOfPendingFiles) {
    EXPECT_TRUE(isPendingFileName(".a.jpg.pivora-x1Y2z3"));
    EXPECT_TRUE(isPendingFileName("..a.jpg.pivora-abcdef.pivora-ABCDEF"));
    EXPECT_FALSE(isPendingFileName("a.jpg.pivora-x1Y2z3"));     // no leading dot
    EXPECT_FALSE(isPendingFileName(".a.jpg.pivora-x1Y2z"));     // five characters
    EXPECT_FALSE(isPendingFileName(".a.jpg.pivora-x1Y2z3.jpg"));
    EXPECT_FALSE(isPendingFileName(".a.jpg.pivora-x1-2z3"));
    EXPECT_FALSE(isPendingFileName(".pivora-abcdef"));          // no name before the marker
}

TEST(StrayFiles, RemovesOnlyOldRegularFilesOfThePattern) {
    TempDir dir;
    platform::PendingFile pending;
    ASSERT_TRUE(pending.open(dir.file("photo.jpg"), nullptr));
    std::string stray = pending.temporaryPath();
    testsupport::writeFile(dir.file("photo.jpg"), {1, 2, 3});
    testsupport::writeFile(dir.file("keep.pivora-abc"), {1});
    ASSERT_EQ(mkdir(dir.file(".sub.pivora-abcdef").c_str(), 0700), 0);
    ASSERT_EQ(symlink("photo.jpg", dir.file(".link.pivora-abcdef").c_str()), 0);

    timespec before{0, 0};
    EXPECT_EQ(removeStrayPendingFiles(dir.path(), before), 0);  // all newer than that run
    EXPECT_TRUE(testsupport::fileExists(stray));

    usleep(30000);  // let the coarse clock move past the files' change time
    EXPECT_EQ(removeStrayPendingFiles(dir.path(), runStartTime()), 1);
    EXPECT_FALSE(testsupport::fileExists(stray));
    EXPECT_EQ(testsupport::listFolder(dir.path()),
              (std::vector<std::string>{".link.pivora-abcdef", ".sub.pivora-abcdef", "keep.pivora-abc", "photo.jpg"}));
    pending.discard();
}

}  // namespace
