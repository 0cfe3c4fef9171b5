#include "app/shell/folder_entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/files.h"

namespace shell {
namespace {

std::string cwd() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

class FolderEntry : public ::testing::Test {
protected:
    void SetUp() override {
        before = cwd();
        ASSERT_EQ(mkdir(dir.file("Photos").c_str(), 0755), 0);
        testsupport::writeFile(dir.file("Photos/x.jpg"), {1, 2, 3});
    }
    void TearDown() override { ASSERT_EQ(chdir(before.c_str()), 0); }
    testsupport::TempDir dir;
    std::string before;
};

TEST_F(FolderEntry, EnterFolderChangesDirectoryOrReportsBadFolder) {
    EXPECT_EQ(enterFolder(""), 0);
    EXPECT_EQ(cwd(), before);
    EXPECT_EQ(enterFolder(dir.file("Gone")), 2);
    EXPECT_EQ(cwd(), before);
    EXPECT_EQ(enterFolder(dir.file("Photos/x.jpg")), 2);
    EXPECT_EQ(enterFolder(dir.file("Photos")), 0);
    EXPECT_EQ(cwd(), dir.file("Photos"));
}

TEST_F(FolderEntry, CanEnterFolderLeavesTheCurrentDirectoryAsItWas) {
    EXPECT_TRUE(canEnterFolder(dir.file("Photos")));
    EXPECT_EQ(cwd(), before);
    EXPECT_FALSE(canEnterFolder(dir.file("Gone")));
    EXPECT_EQ(cwd(), before);
}

TEST_F(FolderEntry, ChooserStartsAtAnExistingInitDir) {
    EXPECT_EQ(folderChooserStart(dir.file("Photos")), dir.file("Photos"));
    EXPECT_EQ(folderChooserStart(dir.file("Photos/")), dir.file("Photos/"));
}

TEST_F(FolderEntry, ChooserStartDropsTheLastLevelOfAMissingInitDir) {
    EXPECT_EQ(folderChooserStart(dir.file("Gone/Photos")), dir.file("Gone"));
    // With a trailing separator only the separator goes.
    EXPECT_EQ(folderChooserStart(dir.file("Gone/Photos/")), dir.file("Gone/Photos"));
    // A file is no folder either.
    EXPECT_EQ(folderChooserStart(dir.file("Photos/x.jpg")), dir.file("Photos"));
    EXPECT_EQ(folderChooserStart("no-such-folder-here"), "no-such-folder-here");
}

TEST_F(FolderEntry, OnlyRealFoldersMayBeChosen) {
    EXPECT_TRUE(isChoosableFolder(dir.file("Photos")));
    EXPECT_TRUE(isChoosableFolder(dir.file("Photos/")));
    ASSERT_EQ(symlink(dir.file("Photos").c_str(), dir.file("Shortcut").c_str()), 0);
    EXPECT_FALSE(isChoosableFolder(dir.file("Shortcut")));
    EXPECT_FALSE(isChoosableFolder(dir.file("Gone")));
    EXPECT_FALSE(isChoosableFolder(dir.file("Photos/x.jpg")));
    EXPECT_FALSE(isChoosableFolder(""));
}

TEST(InitDirForChosenFile, KeepsTheFolderWithItsTrailingSeparator) {
    EXPECT_EQ(initDirForChosenFile("/data/Pics/x.jpg"), "/data/Pics/");
    EXPECT_EQ(initDirForChosenFile("/x.jpg"), "/");
}

}  // namespace
}  // namespace shell
