#include "app/shell/folder_entry.h"

#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/files.h"

namespace shell {
namespace {

TEST(FolderEntry, ChoosableFoldersAndTheFolderChooserStart) {
    testsupport::TempDir dir;
    const std::string before = std::filesystem::current_path(), photos = dir.file("Photos"), gone = dir.file("Gone");
    ASSERT_TRUE(std::filesystem::create_directory(photos));
    testsupport::writeFile(photos + "/x.jpg", {1});
    ASSERT_EQ(symlink(photos.c_str(), dir.file("Link").c_str()), 0);
    ASSERT_EQ(symlink(gone.c_str(), dir.file("Dangling").c_str()), 0);
    EXPECT_TRUE(isChoosableFolder(photos + "/") && isChoosableFolder(dir.file("Link")));
    for (const std::string& path : {dir.file("Dangling"), gone, photos + "/x.jpg", std::string()})
        EXPECT_FALSE(isChoosableFolder(path)) << path;

    // "InitDir" itself when it can be entered, else cut at its last "/".
    const std::pair<std::string, std::string> starts[] = {
        {photos, photos}, {gone + "/Photos", gone}, {gone + "/Photos/", gone + "/Photos"},
        {photos + "/x.jpg", photos}, {"no-such-folder", "no-such-folder"}};
    for (const auto& [initDir, start] : starts) EXPECT_EQ(folderChooserStart(initDir), start) << initDir;
    EXPECT_EQ(std::filesystem::current_path(), before) << "testing a folder leaves the current one";
}

}  // namespace
}  // namespace shell
