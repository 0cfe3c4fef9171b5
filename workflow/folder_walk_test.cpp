#include "workflow/folder_walk.h"

#include <algorithm>

#include "workflow/run_messages.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;

// The names of the listed files, sorted, a special file's with " (special)" after it.
Names listedNames(const RunListing& listing) {
    Names names;
    for (const RunFile& file : listing.files())
        names.push_back(file.path.substr(file.path.find_last_of('/') + 1) + (file.regularFile ? "" : " (special)"));
    std::sort(names.begin(), names.end());
    return names;
}

Names listed(const std::string& path, bool subfolders) {
    cancelRequested = 0;
    RunListing listing(ProcessingOptions{0, subfolders, 0});
    EXPECT_EQ(listing.add(path), 2);
    return listedNames(listing);
}

TEST(RunListing, TakesJpgNamesDescendsOnlyWhenAskedAndListsSpecialFilesUnopened) {
    TempDir dir;
    for (const char* name : {"sub", "sub/deeper", "old.jpg"}) ASSERT_EQ(::mkdir(dir.file(name).c_str(), 0755), 0);
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.jpeg.bak", "ejpeg", "notes.txt", ".hidden.jpg", "xjPg",
                             "x.jpg.bak", ".a.jpg.pivora-Ab12Cd", "sub/one.jpg", "sub/deeper/two.jpg"})
        writeFile(dir.file(name), {0xFF, 0xD8});
    ASSERT_EQ(::mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);

    EXPECT_EQ(listed(dir.path(), false), (Names{".hidden.jpg", "a.jpg", "b.JPG", "c.jpeg", "pipe.jpg (special)", "xjPg"}));
    EXPECT_EQ(listed(dir.path(), true),
              (Names{".hidden.jpg", "a.jpg", "b.JPG", "c.jpeg", "one.jpg", "pipe.jpg (special)", "two.jpg", "xjPg"}));

    RunListing named(ProcessingOptions{});
    EXPECT_EQ(named.add(dir.file("notes.txt")), 1);  // a file named by the user, whatever its name
    EXPECT_EQ(named.add(dir.file("gone.jpg")), 0);
    cancelRequested = 1;
    EXPECT_EQ(named.add(dir.path()), 2);
    cancelRequested = 0;
    EXPECT_EQ(listedNames(named), (Names{"notes.txt"}));
}

TEST(RunListing, LinksNeitherLoopNorListAPhotoTwice) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
    writeFile(dir.file("sub/real.jpg"), {0xFF, 0xD8});
    for (auto link : {std::pair{"sub/real.jpg", "a-link.jpg"}, {"real.jpg", "sub/z-link.jpg"}, {"..", "sub/up"},
                      {"..", "sub/loop.jpg"}, {"gone", "dangling.jpg"}})
        ASSERT_EQ(::symlink(link.first, dir.file(link.second).c_str()), 0);
    RunListing listing(ProcessingOptions{0, 1, 0});
    listing.add(dir.path());
    listing.add(dir.file("sub/real.jpg"));
    ASSERT_EQ(listing.files().size(), 2u) << "one of the three names of the photo, and the dangling link";
    EXPECT_EQ(listing.files()[0].regularFile != listing.files()[1].regularFile, true);
}

TEST(FolderWalk, EmptyFolderAndCancelDuringTheThirdOfTenFiles) {
    TempDir dir;
    RunCounters counters;
    int handed = 0;
    auto rotate = [&](const std::string&) {
        if (++handed == 3) cancelRequested = 1;
        RotateResult rotated;
        rotated.outcome = FileOutcome::Rotated;
        return rotated;
    };
    cancelRequested = 0;
    walkFolder(dir.path(), ProcessingOptions{0, 1, 0}, counters, rotate, nullptr);
    EXPECT_EQ(folderRunMessage(counters), "\n\nNo files processed\n\n");

    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
    for (int i = 0; i < 10; ++i) writeFile(dir.file((i < 5 ? "p" : "sub/p") + std::to_string(i) + ".jpg"), {0xFF});
    int pumped = 0;
    walkFolder(dir.path(), ProcessingOptions{0, 1, 0}, counters, rotate, [&] { ++pumped; });
    cancelRequested = 0;
    EXPECT_EQ(folderRunMessage(counters), "\n\n3 files read, of which 3 files successfully rotated\n\n");
    EXPECT_EQ(pumped, 3);
}

}  // namespace
