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
    const std::pair<std::string, int> cases[] = {
        {"a.jpg", 1}, {"link.jpg", 1}, {"", 2}, {"gone.jpg", 0}, {"a.jpg/below", 0}, {"pipe", -1}};
    for (const auto& [name, kind] : cases) EXPECT_EQ(platform::classifyPath(dir.file(name)), kind) << name;
}

}  // namespace
