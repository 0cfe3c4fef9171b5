#include "workflow/folder_walk.h"


#include <fcntl.h>

#include <climits>

#include "workflow/plan.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;

// The listed files in listing order, as paths below `root`, each with its known refusal.
Names listedBelow(const std::string& root, const RunListing& listing) {
    Names names;
    for (const RunFile& file : listing.files()) {
        std::string name = file.path.substr(file.path.rfind(root, 0) == 0 ? root.size() + 1 : 0);
        if (file.knownRefusal == RefusalReason::NotRegularFile) name += " (special)";
        if (file.knownRefusal == RefusalReason::SeveralNames) name += " (several names)";
        if (file.knownRefusal == RefusalReason::PathTooLong) name += " (too long)";
        names.push_back(name);
    }
    return names;
}

void makeFolders(const TempDir& dir, std::initializer_list<const char*> names) {
    for (const char* name : names) ASSERT_EQ(::mkdir(dir.file(name).c_str(), 0755), 0) << name;
}

void makeFiles(const TempDir& dir, std::initializer_list<const char*> names) {
    for (const char* name : names) writeFile(dir.file(name), {0xFF, 0xD8});
}

TEST(JpegName, TheExtensionJpgOrJpegInAnyCase) {
    const std::pair<const char*, bool> names[] = {
        {"a.jpg", true},        {"B.JPG", true},      {"c.jpeg", true},     {"D.JpEg", true},
        {".hidden.jpg", true},  {"camera.mjpg", false}, {"x.jpg.bak", false}, {"xjpg", false},
        {"jpeg", false},        {".jpg", false},      {"a.jpgx", false},    {"notes.txt", false},
        {"old.jpg/x", false},   {"a.", false},
    };
    for (const auto& [name, taken] : names) EXPECT_EQ(hasJpegName(std::string("/photos/") + name), taken) << name;
}

// Files before subfolders, each in natural name order; hidden entries only when asked for, and
// counted when not; a pipe listed to be refused unopened.
TEST(RunListing, WalksInNaturalOrderFilesFirstAndLeavesHiddenEntriesOut) {
    TempDir dir;
    makeFolders(dir, {"sub10", "sub9", ".thumbnails", "old.jpg"});
    makeFiles(dir, {"DSC_10.jpg", "DSC_2.jpg", "dsc_3.JPG", "b.jpg", "camera.mjpg", ".hidden.jpg", ".notes",
                    "sub10/a.jpg", "sub9/z.jpg", ".thumbnails/t.jpg"});
    ASSERT_EQ(::mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);
    const Names files = {"b.jpg", "DSC_2.jpg", "dsc_3.JPG", "DSC_10.jpg", "pipe.jpg (special)"};
    const Names inSubfolders = {"sub9/z.jpg", "sub10/a.jpg"};
    const auto joined = [](Names first, const Names& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    };
    const struct {
        bool subfolders, hidden;
        Names listed;
        std::size_t hiddenSkipped;
    } runs[] = {
        {false, false, files, 1},
        {true, false, joined(files, inSubfolders), 2},
        {true, true, joined(joined({".hidden.jpg"}, files), joined({".thumbnails/t.jpg"}, inSubfolders)), 0},
    };
    for (const auto& run : runs) {
        ProcessingOptions options;
        options.bSubfolders = run.subfolders;
        options.includeHidden = run.hidden;
        RunListing listing(options);
        EXPECT_EQ(listing.add(dir.path()), 2);
        EXPECT_EQ(listedBelow(dir.path(), listing), run.listed);
        EXPECT_EQ(listing.hiddenSkipped(), run.hiddenSkipped);
    }

    std::atomic<int> cancel{0};
    RunListing named(ProcessingOptions{}, RunContext{&cancel});  // files named by the user, whatever their names
    EXPECT_EQ(named.add(dir.file(".notes")), 1);
    EXPECT_EQ(named.add(dir.file(".hidden.jpg")), 1);
    EXPECT_EQ(named.add(dir.file("gone.jpg")), 0);
    cancel = 1;
    EXPECT_EQ(named.add(dir.path()), 2);
    EXPECT_EQ(listedBelow(dir.path(), named), (Names{".notes", ".hidden.jpg"}));
    EXPECT_EQ(named.hiddenSkipped(), 0u);
}

// A file of one name is listed once whatever leads to it; one of several names under each name,
// to be refused unread; links never loop.
TEST(RunListing, EveryNameOfAHardLinkedPhotoIsListedRefusedAndNoneTwice) {
    TempDir dir;
    makeFolders(dir, {"sub"});
    makeFiles(dir, {"a.jpg", "single.jpg"});
    ASSERT_EQ(::link(dir.file("a.jpg").c_str(), dir.file("b.jpg").c_str()), 0);
    ASSERT_EQ(::link(dir.file("a.jpg").c_str(), dir.file("sub/c.jpg").c_str()), 0);
    for (auto link : {std::pair{"a.jpg", "link.jpg"}, {"single.jpg", "z-link.jpg"}, {"../b.jpg", "sub/to-b.jpg"},
                      {"..", "sub/up"}, {"..", "sub/loop.jpg"}, {"gone", "dangling.jpg"}})
        ASSERT_EQ(::symlink(link.first, dir.file(link.second).c_str()), 0);
    RunListing listing(ProcessingOptions{0, 1, 0});
    listing.add(dir.path());
    listing.add(dir.file("b.jpg"));
    listing.add(dir.file("link.jpg"));
    EXPECT_EQ(listedBelow(dir.path(), listing),
              (Names{"a.jpg (several names)", "b.jpg (several names)", "dangling.jpg (special)", "single.jpg",
                     "sub/c.jpg (several names)"}));

    // A known refusal is handed back unread (the run engine's own test).
    EXPECT_EQ(planOf(listing.files(), TransformKind::Rotate270, false)[0].knownRefusal.text(),
              "it has several names (hard links): turning it under one would leave the others unturned");
}

// A tree whose paths outgrow the system's limit is walked whole: the files beyond it are named
// with their reason, not left out.
TEST(RunListing, FilesBeyondThePathLimitAreListedToBeRefused) {
    TempDir dir;
    const std::string level(250, 'd');
    std::vector<int> folders{::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY)};
    std::string deepest = dir.path();
    while (deepest.size() < PATH_MAX) {
        ASSERT_EQ(::mkdirat(folders.back(), level.c_str(), 0755), 0);
        folders.push_back(::openat(folders.back(), level.c_str(), O_RDONLY | O_DIRECTORY));
        deepest += "/" + level;
    }
    for (int folder : {folders[1], folders.back()}) ::close(::openat(folder, "p.jpg", O_CREAT | O_WRONLY, 0644));

    RunListing listing(ProcessingOptions{0, 1, 0});
    listing.add(dir.path());
    EXPECT_EQ(listedBelow(dir.path(), listing),
              (Names{level + "/p.jpg", deepest.substr(dir.path().size() + 1) + "/p.jpg (too long)"}));
    if (listing.files().size() == 2) {
        EXPECT_EQ(planOf(listing.files(), TransformKind::Rotate270, false)[1].knownRefusal.text(),
                  "the path is longer than the system allows (" + std::to_string(deepest.size() + 6) + " characters)");
    }

    // TempDir removes by path, which cannot reach that deep.
    for (std::size_t i = folders.size() - 1; i > 0; --i) {
        ::unlinkat(folders[i], "p.jpg", 0);
        ::close(folders[i]);
        ::unlinkat(folders[i - 1], level.c_str(), AT_REMOVEDIR);
    }
    ::close(folders[0]);
}

}  // namespace
