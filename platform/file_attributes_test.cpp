#include "platform/file_attributes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/pending_file.h"
#include "tests/support/files.h"

using testsupport::listFolder;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

struct stat statOf(const std::string& path) {
    struct stat st{};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

const platform::FileTimes kOddTimes{{1000000000, 123456789}, {1200000000, 987654321}};

TEST(FileTimes, KeepNanoseconds) {
    TempDir dir;
    writeFile(dir.file("a.jpg"), {1, 2, 3});
    ASSERT_TRUE(platform::setFileTimes(dir.file("a.jpg"), kOddTimes));
    struct stat st = statOf(dir.file("a.jpg"));
    EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_atim.tv_nsec, 123456789);
    EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
}

TEST(OwnershipAndMode, PrivatePhotoStaysPrivate) {
    TempDir dir;
    writeFile(dir.file("a.jpg"), {1});
    chmod(dir.file("a.jpg").c_str(), 0640);
    platform::PendingFile pending;
    ASSERT_TRUE(pending.open(dir.file("a.jpg"), nullptr));
    ASSERT_TRUE(platform::applyOwnershipAndMode(pending.fd(), statOf(dir.file("a.jpg"))));
    ASSERT_TRUE(pending.commit(nullptr));
    EXPECT_EQ(statOf(dir.file("a.jpg")).st_mode & 07777, 0640u);
}

TEST(Backup, HoldsOriginalBytesAndTimesAndReplacesOlderBackup) {
    TempDir dir;
    writeFile(dir.file("a.jpg"), {1, 2, 3});
    writeFile(dir.file("a.jpg.bak"), {9, 9});
    ASSERT_TRUE(platform::setFileTimes(dir.file("a.jpg"), kOddTimes));
    std::string error;
    ASSERT_TRUE(platform::placeBackup(dir.file("a.jpg"), dir.file("a.jpg.bak"), &error)) << error;
    EXPECT_EQ(readFile(dir.file("a.jpg.bak")), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(statOf(dir.file("a.jpg.bak")).st_mtim.tv_nsec, 987654321);
    EXPECT_EQ(readFile(dir.file("a.jpg")), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"a.jpg", "a.jpg.bak"}));
}

TEST(Backup, AlreadyLinkedBackupLeavesNoStrayName) {
    TempDir dir;
    writeFile(dir.file("a.jpg"), {1, 2, 3});
    ASSERT_EQ(link(dir.file("a.jpg").c_str(), dir.file("a.jpg.bak").c_str()), 0);
    ASSERT_TRUE(platform::placeBackup(dir.file("a.jpg"), dir.file("a.jpg.bak"), nullptr));
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"a.jpg", "a.jpg.bak"}));
}

TEST(Backup, MissingOriginalFailsWithoutLeavingFiles) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(platform::placeBackup(dir.file("gone.jpg"), dir.file("gone.jpg.bak"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(listFolder(dir.path()).empty());
}

}  // namespace
