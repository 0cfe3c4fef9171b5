#include "platform/path_kind.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/files.h"

namespace {

TEST(PathKind, FileFolderMissingAndOther) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("a.jpg"), {1});
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink("a.jpg", dir.file("link.jpg").c_str()), 0);
    EXPECT_EQ(platform::classifyPath(dir.file("a.jpg")), 1);
    EXPECT_EQ(platform::classifyPath(dir.file("link.jpg")), 1);
    EXPECT_EQ(platform::classifyPath(dir.path()), 2);
    EXPECT_EQ(platform::classifyPath(dir.path() + "/"), 2);
    EXPECT_EQ(platform::classifyPath(dir.file("gone.jpg")), 0);
    EXPECT_EQ(platform::classifyPath(dir.file("a.jpg/below")), 0);
    EXPECT_EQ(platform::classifyPath(""), 0);
    EXPECT_EQ(platform::classifyPath(dir.file("pipe")), -1);
}

}  // namespace
