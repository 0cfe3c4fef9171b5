#include "platform/pending_file.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/file_attributes.h"
#include "tests/support/files.h"

namespace {

struct PendingFileTest : ::testing::Test {
    void SetUp() override { testsupport::writeFile(target, {'o', 'l', 'd'}); }
    // The folder holds the target with `bytes`, and nothing else.
    void expectOnlyTarget(const std::string& bytes) {
        const auto held = testsupport::readFile(target);
        EXPECT_EQ(std::string(held.begin(), held.end()), bytes);
        EXPECT_EQ(testsupport::listFolder(dir.path()), std::vector<std::string>{"photo.jpg"});
    }
    testsupport::TempDir dir;
    const std::string target = dir.file("photo.jpg");
    platform::PendingFile pending;
};

TEST_F(PendingFileTest, PrivateAndLockedUntilItsCommitReplacesTheTargetKeepingItsMode) {
    std::string error;
    ASSERT_TRUE(pending.open(target, &error)) << error;
    EXPECT_EQ(platform::folderOf(pending.temporaryPath()), dir.path());
    struct stat st{};
    ASSERT_EQ(fstat(pending.fd(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // private until it takes the target's mode
    std::fputs("fresh", pending.stream());
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    ASSERT_TRUE(platform::applyOwnershipAndMode(pending.fd(), st));
    ASSERT_TRUE(pending.name(&error)) << error;
    // Named, it is held by this run: a cleaner's lock attempt fails.
    const int other = ::open(pending.temporaryPath().c_str(), O_RDONLY);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
    ASSERT_TRUE(pending.commit(&error)) << error;
    expectOnlyTarget("fresh");
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_TRUE(pending.open(target, &error)) << error;
    EXPECT_FALSE(pending.commit(&error, false)) << "a new file never replaces one";
    expectOnlyTarget("fresh");
}

}  // namespace
