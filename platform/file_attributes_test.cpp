#include "platform/file_attributes.h"

#include <gtest/gtest.h>

#include "tests/support/files.h"

namespace {

using testsupport::listFolder;
using testsupport::readFile;

TEST(FileAttributes, TimesKeepNanosecondsAndABackupHoldsTheOriginalBytesAndTimes) {
    testsupport::TempDir dir;
    const std::string photo = dir.file("a.jpg"), backup = dir.file("a.jpg.bak");
    testsupport::writeFile(photo, {1, 2, 3});
    testsupport::writeFile(backup, {9, 9});
    ASSERT_TRUE(platform::setFileTimes(photo, {{1000000000, 123456789}, {1200000000, 987654321}}));
    struct stat st{};
    ASSERT_EQ(stat(photo.c_str(), &st), 0);
    EXPECT_EQ(st.st_atim.tv_nsec, 123456789);
    EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);

    std::string error;
    ASSERT_TRUE(platform::placeBackup(photo, backup, &error)) << error;  // replaces the older one
    EXPECT_EQ(readFile(backup), (std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_EQ(stat(backup.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
    EXPECT_EQ(readFile(photo), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"a.jpg", "a.jpg.bak"}));

    // Done again, the backup already is a link to the photo: no stray name may stay behind.
    ASSERT_TRUE(platform::placeBackup(photo, backup, &error)) << error;
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"a.jpg", "a.jpg.bak"}));

    EXPECT_FALSE(platform::placeBackup(dir.file("gone.jpg"), dir.file("gone.jpg.bak"), &error));
    EXPECT_EQ(listFolder(dir.path()).size(), 2u);
}

}  // namespace
